#include "tool/report_json.h"

#include <ostream>

namespace scenario::tool {
namespace {

using json = nlohmann::json;

json or_null(bool present, const json& value) { return present ? value : json(nullptr); }

json where(const source_site& site, const definition_paths& paths) {
  const bool in_file = site.file != definition_file::none;
  return json{{"file", or_null(in_file, paths.of(site.file))},
              {"line", or_null(in_file && site.line > 0, site.line)},
              {"column", or_null(in_file && site.column > 0, site.column)}};
}

}  // namespace

json fault_json(const fault_state& fault, const definition_paths& paths) {
  const bool any = fault.error_code != kNoFault;
  json report = where(any ? fault.site : source_site{}, paths);
  report["error_code"] = fault.error_code;
  report["error_position"] = or_null(any && fault_has_position(fault.error_code), fault.error_position);
  report["message"] = any ? fault_message(fault, paths) : "";
  return report;
}

json finding_json(const fault_state& fault, const definition_paths& paths) {
  json f = where(fault.site, paths);
  f["severity"] = "errore";
  f["code"] = fault.error_code;
  f["position"] = or_null(fault_has_position(fault.error_code), fault.error_position);
  f["message"] = fault_message(fault, paths);
  return f;
}

json finding_json(const load_warning& warning, const definition_paths& paths) {
  json f = where(warning.site, paths);
  f["severity"] = warning_is_fault_level(warning.kind) ? "errore" : "avviso";
  f["kind"] = warning_kind_name(warning.kind);
  f["message"] = warning_message(warning);
  return f;
}

json warnings_json(const std::vector<load_warning>& warnings, const definition_paths& paths) {
  json list = json::array();
  for (const load_warning& w : warnings) list.push_back(finding_json(w, paths));
  return list;
}

void print_json(std::ostream& out, const json& report) {
  out << report.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
}

void print_json(std::ostream& out, const nlohmann::ordered_json& report) {
  out << report.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
}

}  // namespace scenario::tool
