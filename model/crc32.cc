#include "model/crc32.h"

#include <array>

namespace scenario {
namespace {

constexpr std::array<uint32_t, 256> make_table() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = make_table();

}  // namespace

uint32_t crc32(std::string_view bytes, uint32_t crc) {
  uint32_t c = ~crc;
  for (const char b : bytes) c = kTable[(c ^ static_cast<unsigned char>(b)) & 0xff] ^ (c >> 8);
  return ~c;
}

}  // namespace scenario
