// Lines and fields of a definition as an editor sees them: where a field
// ends by the reader's rules, the fields of one record line, and columns
// counted in the definition's bytes (Windows-1252, one byte a character)
// against the editor's UTF-16 code units.
#ifndef TOOL_LSP_TEXT_H_
#define TOOL_LSP_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/record_fields.h"

namespace scenario::tool {

// The lines of a text without their ends (CR LF, LF or CR), as the reader
// counts them.
std::vector<std::string_view> split_lines(std::string_view text);

// How the reader takes a field: as text, as a number, or not known (a
// field that looks like a number is taken as one).
enum class field_type { text, number, unknown };

// Byte offset just past the field that starts at `begin` in `line`: a
// quoted text runs to its closing quote (or the line end); a number ends at
// a blank or comma; any other text runs to the next comma or the line end,
// blanks at its end not part of it.
size_t field_end(std::string_view line, size_t begin, field_type type);

// One field of a record line: its bytes [begin, end) and its text.
struct line_field {
  size_t begin = 0;
  size_t end = 0;
  std::string text;
};

// The key and the fields of a record that stands on one line, read by
// `kind`'s fields (nullptr: the key alone), as far as the line goes.
std::vector<line_field> scan_record(std::string_view line, const record_kind* kind);

// The column in UTF-16 code units of byte `byte_offset` of the definition
// line whose editor text (UTF-8) is `utf8_line`: each byte of the
// definition is one character of the editor's line.
uint32_t utf16_column(std::string_view utf8_line, size_t byte_offset);
// The inverse: the byte offset of the character at `utf16` code units.
size_t byte_offset(std::string_view utf8_line, uint32_t utf16);

}  // namespace scenario::tool

#endif  // TOOL_LSP_TEXT_H_
