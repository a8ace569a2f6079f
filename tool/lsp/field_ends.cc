#include "tool/lsp/field_ends.h"

#include "model/record_scan.h"

namespace scenario::tool {

field_ends::field_ends(std::string_view ansi, definition_file file) {
  const auto add = [&](const scanned_field& f) {
    const auto line = static_cast<size_t>(f.begin.line);
    if (lines_.size() <= line) lines_.resize(line + 1);
    lines_[line].push_back({f.begin, f.end});
  };
  for (const scanned_key& k : scan_records(ansi, file)) {
    add(k.key);
    for (const scanned_field& f : k.fields) add(f);
  }
}

field_site field_ends::end_of(const field_site& at) const {
  if (at.line < 0 || static_cast<size_t>(at.line) >= lines_.size()) return at;
  // The scan reads forward only: a line's fields are in order.
  for (const span& f : lines_[static_cast<size_t>(at.line)]) {
    // An empty field (blanks before a comma read 0) ends where it begins.
    if (f.begin == at || at < f.end) return f.end;
  }
  return at;
}

}  // namespace scenario::tool
