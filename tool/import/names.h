// Names from the map (UTF-8) as the import compares them and as the
// definitions hold them (Windows-1252).
#ifndef TOOL_IMPORT_NAMES_H_
#define TOOL_IMPORT_NAMES_H_

#include <string>
#include <string_view>

namespace scenario::tool::import {

// `utf8` for comparing: small letters without accents, every run of other
// characters one space, no space at either end. "Monaco - Monte-Carlo" and
// "MONACO MONTE CARLO" fold alike.
std::string fold_name(std::string_view utf8);

struct ansi_name {
  std::string text;          // Windows-1252, free of commas, quotes and control characters
  bool transliterated = false;  // some letter the code page lacks was written as its base letter or '?'
};

// `utf8` as a text field of a definition: letters the code page lacks
// become their base letter (Ł as L, ő as o), others '?'; commas and double
// quotes, which would end the field, become blanks.
ansi_name to_ansi_name(std::string_view utf8);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_NAMES_H_
