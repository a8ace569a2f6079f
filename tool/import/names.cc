#include "tool/import/names.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/ansi_text.h"

namespace scenario::tool::import {
namespace {

// Base letters of U+00C0 to U+00FF and of U+0100 to U+017F (Latin-1 and
// Latin Extended-A); a blank for the two signs among them.
constexpr std::string_view kLatin1 = "aaaaaaaceeeeiiiidnooooo ouuuuytsaaaaaaaceeeeiiiidnooooo ouuuuyty";
constexpr std::string_view kLatinA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrsssssssstttttt"
    "uuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kLatin1.size() == 64 && kLatinA.size() == 128);

// The base letter of `cp`, or 0 for a code point that has none here.
char base_letter(uint32_t cp) {
  if (cp < 0x80) {
    const char c = static_cast<char>(cp);
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return c;
    return 0;
  }
  if (cp >= 0xC0 && cp <= 0xFF) return kLatin1[cp - 0xC0] == ' ' ? 0 : kLatin1[cp - 0xC0];
  if (cp >= 0x100 && cp <= 0x17F) return kLatinA[cp - 0x100];
  return 0;
}

// Whether a letter of Latin Extended-A is a capital: the pairs run capital
// first, on even code points, but on odd ones from U+0139 to U+0148 and
// from U+0179 on.
bool capital_latin_a(uint32_t cp) {
  if ((cp >= 0x139 && cp <= 0x148) || cp >= 0x179) return cp % 2 == 1;
  if (cp == 0x138 || cp == 0x149 || cp == 0x17F) return false;
  return cp % 2 == 0 || cp == 0x178;
}

}  // namespace

std::string fold_name(std::string_view utf8) {
  std::string out;
  bool gap = false;
  for (size_t pos = 0; pos < utf8.size();) {
    const uint32_t cp = next_code_point(utf8, &pos);
    char c = base_letter(cp);
    // A capital Œ, Š, Ž or Ÿ of the code page folds as its small letter.
    if (cp == 0x152 || cp == 0x153) c = 'o';
    if (c == 0) {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += ' ';
    gap = false;
    out += c;
  }
  return out;
}

ansi_name to_ansi_name(std::string_view utf8) {
  ansi_name out;
  for (size_t pos = 0; pos < utf8.size();) {
    const uint32_t cp = next_code_point(utf8, &pos);
    if (cp == ',' || cp == '"' || cp < 0x20 || cp == 0x7F) {
      out.text += ' ';
      continue;
    }
    if (const std::optional<char> ansi = ansi_of(cp)) {
      out.text += *ansi;
      continue;
    }
    out.transliterated = true;
    if (cp >= 0x100 && cp <= 0x17F) {
      const char base = kLatinA[cp - 0x100];
      out.text += capital_latin_a(cp) ? static_cast<char>(base - 'a' + 'A') : base;
    } else {
      out.text += '?';
    }
  }
  // Blanks at either end would not survive the reading of the field.
  const size_t first = out.text.find_first_not_of(' ');
  const size_t last = out.text.find_last_not_of(' ');
  out.text = first == std::string::npos ? std::string() : out.text.substr(first, last - first + 1);
  return out;
}

}  // namespace scenario::tool::import
