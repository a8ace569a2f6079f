// CRC-32 (the polynomial of zip and PNG, reflected, 0xEDB88320): the
// checksum of a scenario carried by the program and of the entries of a zip.
#ifndef MODEL_CRC32_H_
#define MODEL_CRC32_H_

#include <cstdint>
#include <string_view>

namespace scenario {

// The checksum of `bytes` continued from `crc` (0 for a fresh start).
uint32_t crc32(std::string_view bytes, uint32_t crc = 0);

}  // namespace scenario

#endif  // MODEL_CRC32_H_
