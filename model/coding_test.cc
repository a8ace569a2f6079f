#include "model/coding.h"

#include <gtest/gtest.h>

#include <limits>

namespace scenario {
namespace {

TEST(Coding, FixedWidthValuesAreLittleEndian) {
  std::string b;
  put_u8(&b, 0xAB);
  put_u16(&b, 0x0201);
  put_i16(&b, -2);
  put_i32(&b, 0x04030201);
  put_i32(&b, -1);
  put_f64(&b, 1.0);
  const std::string expected("\xAB\x01\x02\xFE\xFF\x01\x02\x03\x04\xFF\xFF\xFF\xFF\x00\x00\x00\x00\x00\x00\xF0\x3F",
                             21);
  EXPECT_EQ(b, expected);
}

TEST(Coding, RoundTripsAndRefusesShortInput) {
  std::string b;
  for (int32_t v : {0, 1, -1, 5121, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    put_i32(&b, v);
  }
  put_f64(&b, -0.125);
  std::string_view in(b);
  for (int32_t v : {0, 1, -1, 5121, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    int32_t got = 0;
    ASSERT_TRUE(get_i32(&in, &got));
    EXPECT_EQ(got, v);
  }
  std::string_view short_in = in.substr(0, 7);
  double d = 0;
  EXPECT_FALSE(get_f64(&short_in, &d));
  EXPECT_EQ(short_in.size(), 7u);  // untouched on failure
  ASSERT_TRUE(get_f64(&in, &d));
  EXPECT_EQ(d, -0.125);
  EXPECT_TRUE(in.empty());
}

}  // namespace
}  // namespace scenario
