#include "model/coding.h"

#include <bit>
#include <cstring>

namespace scenario {
namespace {

bool get_le(std::string_view* in, int bytes, uint64_t* value) {
  if (in->size() < static_cast<size_t>(bytes)) return false;
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) {
    v |= static_cast<uint64_t>(static_cast<unsigned char>((*in)[i])) << (8 * i);
  }
  in->remove_prefix(bytes);
  *value = v;
  return true;
}

}  // namespace

bool get_u8(std::string_view* in, uint8_t* value) {
  uint64_t v;
  if (!get_le(in, 1, &v)) return false;
  *value = static_cast<uint8_t>(v);
  return true;
}

bool get_u16(std::string_view* in, uint16_t* value) {
  uint64_t v;
  if (!get_le(in, 2, &v)) return false;
  *value = static_cast<uint16_t>(v);
  return true;
}

bool get_i16(std::string_view* in, int16_t* value) {
  uint16_t v;
  if (!get_u16(in, &v)) return false;
  *value = static_cast<int16_t>(v);
  return true;
}

bool get_i32(std::string_view* in, int32_t* value) {
  uint64_t v;
  if (!get_le(in, 4, &v)) return false;
  *value = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

bool get_f64(std::string_view* in, double* value) {
  uint64_t v;
  if (!get_le(in, 8, &v)) return false;
  *value = std::bit_cast<double>(v);
  return true;
}

bool get_u32(std::string_view* in, uint32_t* value) {
  uint64_t v;
  if (!get_le(in, 4, &v)) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool get_u64(std::string_view* in, uint64_t* value) { return get_le(in, 8, value); }

}  // namespace scenario
