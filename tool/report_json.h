// The JSON form of what a compile or a check found, shared by
// `compile --json` and `check --json`.
#ifndef TOOL_REPORT_JSON_H_
#define TOOL_REPORT_JSON_H_

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <vector>

#include "model/diagnostics.h"
#include "model/findings.h"

namespace scenario::tool {

// error_code, error_position, file, line, column, message; nulls where a
// part does not apply.
nlohmann::json fault_json(const fault_state& fault, const definition_paths& paths);
// One finding of a list: severity "errore" with its code, or "avviso" with
// its kind, then file, line, column, message.
nlohmann::json finding_json(const fault_state& fault, const definition_paths& paths);
nlohmann::json finding_json(const load_warning& warning, const definition_paths& paths);
nlohmann::json warnings_json(const std::vector<load_warning>& warnings, const definition_paths& paths);

// One object on one line. Paths and command-line words may hold bytes that
// are not UTF-8; they are replaced rather than refused.
void print_json(std::ostream& out, const nlohmann::json& report);
void print_json(std::ostream& out, const nlohmann::ordered_json& report);

}  // namespace scenario::tool

#endif  // TOOL_REPORT_JSON_H_
