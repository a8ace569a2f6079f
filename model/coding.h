// Fixed-width little-endian encoding, the one rule of every compiled file:
// a number is written least-significant byte first, two's complement for
// signed values, IEEE 754 binary64 for a Double. Every writer appends with
// put_* or, where it lays many records into a buffer sized beforehand,
// writes in place with encode_*; the dump reads back with get_* (bounded,
// false when short).
#ifndef MODEL_CODING_H_
#define MODEL_CODING_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace scenario {

// Appends the `sizeof(U)` bytes of `value`, least significant first.
// Inline: the writers call these for every field of every cell.
template <typename U>
inline void put_le(std::string* out, U value) {
  char bytes[sizeof(U)];
  for (size_t i = 0; i < sizeof(U); ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
  out->append(bytes, sizeof(U));
}
inline void put_u8(std::string* out, uint8_t value) { out->push_back(static_cast<char>(value)); }
inline void put_u16(std::string* out, uint16_t value) { put_le(out, value); }
inline void put_i16(std::string* out, int16_t value) { put_le(out, static_cast<uint16_t>(value)); }
inline void put_i32(std::string* out, int32_t value) { put_le(out, static_cast<uint32_t>(value)); }
inline void put_u32(std::string* out, uint32_t value) { put_le(out, value); }
inline void put_u64(std::string* out, uint64_t value) { put_le(out, value); }
inline void put_f64(std::string* out, double value) { put_le(out, std::bit_cast<uint64_t>(value)); }

// Writers into a buffer with room for the value (2 or 8 bytes at `at`).
// On a little-endian machine the bytes in memory are already the file's;
// one copy then stores them, which keeps the compiler from turning a loop
// of these into byte shuffles.
inline void encode_u16(char* at, uint16_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &value, 2);
  } else {
    at[0] = static_cast<char>(value & 0xff);
    at[1] = static_cast<char>(value >> 8);
  }
}
inline void encode_f64(char* at, double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &bits, 8);
  } else {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<char>((bits >> (8 * i)) & 0xff);
  }
}

// Readers take bytes from the front of `in` and advance it; on a short
// input they return false and leave `in` as it was.
bool get_u8(std::string_view* in, uint8_t* value);
bool get_u16(std::string_view* in, uint16_t* value);
bool get_i16(std::string_view* in, int16_t* value);
bool get_i32(std::string_view* in, int32_t* value);
bool get_u32(std::string_view* in, uint32_t* value);
bool get_u64(std::string_view* in, uint64_t* value);
bool get_f64(std::string_view* in, double* value);

}  // namespace scenario

#endif  // MODEL_CODING_H_
