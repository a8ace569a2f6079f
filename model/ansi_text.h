// Texts of the scenario are bytes in the ANSI code page (Windows-1252).
// Case folding follows that code page: A-Z and the accented capitals
// C0-DE (but D7, the multiplication sign) map to their small letters.
#ifndef MODEL_ANSI_TEXT_H_
#define MODEL_ANSI_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scenario {

inline char to_lower_ansi(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) {
    return static_cast<char>(u + 0x20);
  }
  return c;
}

inline std::string to_lower_ansi(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = to_lower_ansi(c);
  return out;
}

inline bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// `text` (Windows-1252) as UTF-8, for terminals and JSON. Definition and
// compiled-file text is converted where it enters a message; paths and
// command-line words are passed through as they are.
std::string ansi_to_utf8(std::string_view text);

// The code point of the UTF-8 sequence at `*pos`, which is moved past it;
// a byte that starts no valid sequence counts as one code point of its own
// (U+FFFD). Shared by the conversion below and by whoever counts columns,
// so both see the same characters.
uint32_t next_code_point(std::string_view utf8, size_t* pos);

// The Windows-1252 byte of a code point, or nullopt for one the code page
// does not have. U+0080 to U+009F are their own byte (below).
std::optional<char> ansi_of(uint32_t cp);

// `text` (UTF-8, as an editor sends it) as Windows-1252: one byte for every
// code point, '?' for one the code page does not have. U+0080 to U+009F
// become the byte of that number, so a file an editor read as Latin-1
// comes back as it was.
std::string utf8_to_ansi(std::string_view text);

}  // namespace scenario

#endif  // MODEL_ANSI_TEXT_H_
