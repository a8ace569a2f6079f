// Minimal JSON output: strings from ANSI (Windows-1252) bytes, escaped and
// converted to UTF-8.
#ifndef TOOL_JSON_H_
#define TOOL_JSON_H_

#include <string>
#include <string_view>

namespace scenario::tool {

// `text` (Windows-1252) as UTF-8, for terminals and JSON.
std::string ansi_to_utf8(std::string_view text);
// A quoted JSON string.
std::string json_string(std::string_view ansi_text);

}  // namespace scenario::tool

#endif  // TOOL_JSON_H_
