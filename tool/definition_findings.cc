#include "tool/definition_findings.h"

#include "model/compile.h"
#include "model/diagnostics.h"

namespace scenario::tool {

std::vector<definition_finding> collect_findings(const definition_texts& texts, const scenario_identity& id) {
  scenario_model model;
  model.route_name = id.route_name;
  model.train_number = id.train_number;
  std::vector<load_warning> warnings;
  const fault_state fault = reported_fault(compile_scenario(model, 1, texts, &warnings));
  std::vector<definition_finding> findings;
  if (fault) findings.push_back({true, fault.error_code, fault.site, fault_message(fault)});
  for (const load_warning& w : warnings) findings.push_back({false, kNoFault, w.site, warning_message(w)});
  return findings;
}

}  // namespace scenario::tool
