#include "model/ansi_text.h"

#include <cstdint>

namespace scenario {
namespace {

// Windows-1252 bytes 80-9F; 0 where the code page has no character.
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void put_utf8(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string ansi_to_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const uint8_t b = static_cast<uint8_t>(ch);
    uint32_t cp = b;
    if (b >= 0x80 && b <= 0x9F) cp = kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : 0xFFFD;
    put_utf8(&out, cp);
  }
  return out;
}

uint32_t next_code_point(std::string_view utf8, size_t* pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(utf8[i]); };
  const size_t at = *pos;
  const uint8_t b = byte(at);
  size_t extra = 0;
  uint32_t cp = b;
  if (b >= 0xC2 && b <= 0xDF) {
    extra = 1, cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2, cp = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3, cp = b & 0x07;
  } else if (b >= 0x80) {
    *pos = at + 1;
    return 0xFFFD;
  }
  if (at + extra >= utf8.size() && extra > 0) {  // cut short by the end
    *pos = at + 1;
    return 0xFFFD;
  }
  for (size_t i = 1; i <= extra; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      *pos = at + 1;
      return 0xFFFD;
    }
    cp = (cp << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms and surrogates are not characters.
  const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
  if (cp < least[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    *pos = at + 1;
    return 0xFFFD;
  }
  *pos = at + 1 + extra;
  return cp;
}

std::optional<char> ansi_of(uint32_t cp) {
  // U+0080 to U+009F are no characters of the code page: an editor that
  // sends them read the file as Latin-1, so they stand for their byte.
  if (cp <= 0xFF) return static_cast<char>(cp);
  for (uint8_t i = 0; i < 32; ++i) {
    if (kHigh[i] != 0 && kHigh[i] == cp) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

std::string utf8_to_ansi(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) out.push_back(ansi_of(next_code_point(text, &pos)).value_or('?'));
  return out;
}

}  // namespace scenario
