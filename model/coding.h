// Fixed-width little-endian encoding, the one rule of every compiled file:
// a number is written least-significant byte first, two's complement for
// signed values, IEEE 754 binary64 for a Double. Every writer appends with
// put_*; the dump reads back with get_* (bounded, false when short).
#ifndef MODEL_CODING_H_
#define MODEL_CODING_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

void put_u8(std::string* out, uint8_t value);
void put_u16(std::string* out, uint16_t value);
void put_i16(std::string* out, int16_t value);
void put_i32(std::string* out, int32_t value);
void put_f64(std::string* out, double value);

// Readers take bytes from the front of `in` and advance it; on a short
// input they return false and leave `in` as it was.
bool get_u8(std::string_view* in, uint8_t* value);
bool get_u16(std::string_view* in, uint16_t* value);
bool get_i16(std::string_view* in, int16_t* value);
bool get_i32(std::string_view* in, int32_t* value);
bool get_f64(std::string_view* in, double* value);

}  // namespace scenario

#endif  // MODEL_CODING_H_
