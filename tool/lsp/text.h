// Columns of a definition as an editor counts them: the definition's bytes
// (Windows-1252, one byte a character) against the editor's UTF-16 code
// units. Lines and fields are the core's (model/field_reader,
// model/record_scan).
#ifndef TOOL_LSP_TEXT_H_
#define TOOL_LSP_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace scenario::tool {

// The column in UTF-16 code units of byte `byte_offset` of the definition
// line whose editor text (UTF-8) is `utf8_line`: each byte of the
// definition is one character of the editor's line.
uint32_t utf16_column(std::string_view utf8_line, size_t byte_offset);
// The inverse: the byte offset of the character at `utf16` code units.
size_t byte_offset(std::string_view utf8_line, uint32_t utf16);

}  // namespace scenario::tool

#endif  // TOOL_LSP_TEXT_H_
