#include "tool/check_findings.h"

#include <algorithm>

#include "model/compile.h"

namespace scenario::tool {
namespace {

int file_rank(definition_file f) {
  switch (f) {
    case definition_file::line: return 0;
    case definition_file::train: return 1;
    case definition_file::none: break;
  }
  return 2;
}

bool same_place(const source_site& a, const source_site& b) {
  return a.file == b.file && a.line == b.line && a.column == b.column;
}

}  // namespace

check_findings collect_findings(const definition_set& set, const definition_texts& texts) {
  check_findings found;
  // The fault a compile reports comes first among equals; a second reading
  // that goes on past every fault finds the others, and every warning.
  scenario_model model = model_for(set);
  found.reported = reported_fault(compile_scenario(model, 1, texts));
  scenario_model again = model_for(set);
  again.line_mode = 1;
  found.faults = every_load_fault(again, texts, &found.warnings);
  if (found.reported) {
    const auto same = std::find_if(found.faults.begin(), found.faults.end(), [&](const fault_state& f) {
      return f.error_code == found.reported.error_code && same_place(f.site, found.reported.site);
    });
    if (same == found.faults.end()) found.faults.insert(found.faults.begin(), found.reported);
  }
  for (size_t i = 0; i < found.warnings.size(); ++i) found.in_order.push_back({false, i});
  for (size_t i = 0; i < found.faults.size(); ++i) found.in_order.push_back({true, i});
  std::stable_sort(found.in_order.begin(), found.in_order.end(),
                   [&](const check_findings::entry& a, const check_findings::entry& b) {
                     const source_site& sa = found.site(a);
                     const source_site& sb = found.site(b);
                     const int ra = file_rank(sa.file), rb = file_rank(sb.file);
                     if (ra != rb) return ra < rb;
                     return sa.line != sb.line ? sa.line < sb.line : sa.column < sb.column;
                   });
  return found;
}

}  // namespace scenario::tool
