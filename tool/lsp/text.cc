#include "tool/lsp/text.h"

#include "model/ansi_text.h"

namespace scenario::tool {

uint32_t utf16_column(std::string_view utf8_line, size_t byte_offset) {
  uint32_t units = 0;
  size_t pos = 0;
  for (size_t n = 0; n < byte_offset && pos < utf8_line.size(); ++n) {
    units += next_code_point(utf8_line, &pos) > 0xFFFF ? 2 : 1;
  }
  return units;
}

size_t byte_offset(std::string_view utf8_line, uint32_t utf16) {
  size_t bytes = 0;
  uint32_t units = 0;
  size_t pos = 0;
  while (units < utf16 && pos < utf8_line.size()) {
    units += next_code_point(utf8_line, &pos) > 0xFFFF ? 2 : 1;
    ++bytes;
  }
  return bytes;
}

}  // namespace scenario::tool
