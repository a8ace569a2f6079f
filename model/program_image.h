// Where a program file's own image ends: the bytes a loader of the system
// knows of (headers, sections, symbol tables), and for a Windows program
// the certificate table its signature is kept in. Anything else was
// appended to the file; the program reads a scenario it carries there.
#ifndef MODEL_PROGRAM_IMAGE_H_
#define MODEL_PROGRAM_IMAGE_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace scenario {

struct file_extent {
  uint64_t offset = 0;
  uint64_t size = 0;
  uint64_t end() const { return offset + size; }
};

struct program_image {
  // The end of the headers, the sections and the symbol tables.
  uint64_t end = 0;
  // A Windows (PE) program: its signature may follow.
  bool portable_executable = false;
  // Where the PE security directory entry stands (8 bytes: offset and size
  // of the certificate table), 0 when the headers have none.
  uint64_t security_entry = 0;
  // The certificate table that entry points at, when it lies after `end`
  // and within the file. A signer appends it at the end of the file,
  // after zero bytes up to a multiple of 8; signing a packed program puts
  // it after the scenario. An entry pointing elsewhere (a copy cut short
  // without its signature) points at no table.
  std::optional<file_extent> certificates;
};

// The image at the head of `file` (a whole ELF or PE program file, 32 or
// 64 bits), or nullopt when `file` is neither or its headers point outside
// it.
std::optional<program_image> read_program_image(std::string_view file);

// The end of the PE certificate entries ("WIN_CERTIFICATE": u32 length, u16
// revision 0x0100 or 0x0200, u16 type 1 to 4, each at a multiple of 8
// after zero bytes) that follow `at` and end by `limit`, or `at` when none
// does. What a signature left between the image and a scenario appended
// after it.
uint64_t after_certificate_entries(std::string_view file, uint64_t at, uint64_t limit);

}  // namespace scenario

#endif  // MODEL_PROGRAM_IMAGE_H_
