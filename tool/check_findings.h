// Every fault and warning of a pair of definitions, as `check` lists them:
// the fault a compile reports, the others found by a reading that goes on
// past every fault, and every warning, in file order.
#ifndef TOOL_CHECK_FINDINGS_H_
#define TOOL_CHECK_FINDINGS_H_

#include <cstddef>
#include <vector>

#include "model/findings.h"
#include "model/loader.h"
#include "tool/definitions.h"

namespace scenario::tool {

struct check_findings {
  fault_state reported;  // the fault compile reports; error_code 0: none
  std::vector<fault_state> faults;
  std::vector<load_warning> warnings;

  // One entry of the list in file order: line definition first, then the
  // train definition, by line and column, findings without a place last;
  // at one place a warning comes first, as it usually explains the fault.
  struct entry {
    bool fault = false;
    size_t index = 0;  // into faults or warnings
  };
  std::vector<entry> in_order;

  const source_site& site(const entry& e) const { return e.fault ? faults[e.index].site : warnings[e.index].site; }
};

check_findings collect_findings(const definition_set& set, const definition_texts& texts);

}  // namespace scenario::tool

#endif  // TOOL_CHECK_FINDINGS_H_
