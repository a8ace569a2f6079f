// Where a program file's own image ends: the bytes a loader of the system
// knows of (headers, sections, symbol tables). Anything after it was
// appended to the file; the program reads a scenario it carries there.
#ifndef MODEL_PROGRAM_IMAGE_H_
#define MODEL_PROGRAM_IMAGE_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace scenario {

// The size of the image at the head of `file` (a whole ELF or PE program
// file, 32 or 64 bits), or nullopt when `file` is neither or its headers
// point outside it.
std::optional<uint64_t> program_image_size(std::string_view file);

}  // namespace scenario

#endif  // MODEL_PROGRAM_IMAGE_H_
