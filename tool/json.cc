#include "tool/json.h"

#include <cstdint>
#include <cstdio>

#include "model/ansi_text.h"

namespace scenario::tool {
std::string json_string(std::string_view ansi_text) {
  std::string out = "\"";
  for (char ch : ansi_to_utf8(ansi_text)) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<uint8_t>(ch) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<uint8_t>(ch)));
          out += buf;
        } else {
          out.push_back(ch);
        }
    }
  }
  return out + "\"";
}

}  // namespace scenario::tool
