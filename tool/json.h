// JSON strings from ANSI (Windows-1252) bytes of the definitions or the
// compiled files, escaped and converted to UTF-8.
#ifndef TOOL_JSON_H_
#define TOOL_JSON_H_

#include <string>
#include <string_view>

namespace scenario::tool {

// A quoted JSON string.
std::string json_string(std::string_view ansi_text);

}  // namespace scenario::tool

#endif  // TOOL_JSON_H_
