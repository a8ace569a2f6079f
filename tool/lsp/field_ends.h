// Where the field a finding points at ends, as the core reads the
// definition (model/record_scan): a finding stands where a field, or a
// character of it, begins, and its range in the editor runs to the end of
// that field.
#ifndef TOOL_LSP_FIELD_ENDS_H_
#define TOOL_LSP_FIELD_ENDS_H_

#include <string_view>
#include <vector>

#include "model/field_reader.h"
#include "model/findings.h"

namespace scenario::tool {

class field_ends {
 public:
  // Reads the definition `ansi` (Windows-1252) of kind `file` once.
  field_ends(std::string_view ansi, definition_file file);

  // The end of the field that holds `at`, or of the first field after it
  // on its line; `at` itself when there is none.
  field_site end_of(const field_site& at) const;

 private:
  struct span {
    field_site begin;
    field_site end;
  };
  std::vector<std::vector<span>> lines_;  // by line, in order of their first byte
};

}  // namespace scenario::tool

#endif  // TOOL_LSP_FIELD_ENDS_H_
