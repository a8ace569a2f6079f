#include "tool/lsp/text.h"

#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

size_t skip_blanks(std::string_view line, size_t at) {
  while (at < line.size() && is_blank(line[at])) ++at;
  return at;
}

// A number as the reader would take one: an optional minus and a digit.
bool looks_numeric(std::string_view line, size_t at) {
  if (at < line.size() && line[at] == '-') ++at;
  return at < line.size() && line[at] >= '0' && line[at] <= '9';
}

// After a field ends: blanks, then one comma if there is one.
size_t after_field(std::string_view line, size_t end) {
  size_t at = skip_blanks(line, end);
  if (at < line.size() && line[at] == ',') ++at;
  return at;
}

}  // namespace

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

size_t field_end(std::string_view line, size_t begin, field_type type) {
  if (begin >= line.size()) return line.size();
  if (line[begin] == '"') {
    const size_t close = line.find('"', begin + 1);
    return close == std::string_view::npos ? line.size() : close + 1;
  }
  if (type == field_type::unknown) type = looks_numeric(line, begin) ? field_type::number : field_type::text;
  size_t end = begin;
  if (type == field_type::number) {
    while (end < line.size() && !is_blank(line[end]) && line[end] != ',') ++end;
    return end;
  }
  end = line.find(',', begin);
  if (end == std::string_view::npos) end = line.size();
  while (end > begin && is_blank(line[end - 1])) --end;
  return end;
}

std::vector<line_field> scan_record(std::string_view line, const record_kind* kind) {
  std::vector<line_field> fields;
  size_t at = 0;
  const size_t count = 1 + (kind != nullptr ? kind->fields.size() : 0);
  for (size_t i = 0; i < count; ++i) {
    at = skip_blanks(line, at);
    if (at >= line.size()) break;
    const bool text = i == 0 || kind->fields[i - 1].unit == field_unit::text;
    const size_t end = field_end(line, at, text ? field_type::text : field_type::number);
    std::string_view body = line.substr(at, end - at);
    if (body.size() >= 2 && body.front() == '"' && body.back() == '"') body = body.substr(1, body.size() - 2);
    fields.push_back({at, end, std::string(body)});
    at = after_field(line, end);
  }
  return fields;
}

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
