// Everything a check finds in a pair of definitions, as a list: the faults
// and the warnings, each with its site and its message. The one place the
// language server takes its findings from, so the editor shows what
// `scenario check` reports.
#ifndef TOOL_DEFINITION_FINDINGS_H_
#define TOOL_DEFINITION_FINDINGS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/findings.h"
#include "model/identity.h"
#include "model/loader.h"
#include "tool/railway/timetable.h"

namespace scenario::tool {

// What a check finds: every fault (the reading goes on after each at the
// next record) and every warning, and the one fault a compile of the same
// texts reports.
struct definition_check {
  fault_state reported;                // error_code 0: the compile is clean
  std::vector<fault_state> faults;     // every fault found, in the order found
  std::vector<load_warning> warnings;  // every warning
  // Every record that places something, as read past every fault, in file
  // order: where each object's line is, for the views that name it.
  std::vector<loaded_record> records;
  // The model of the compile in memory: what a view draws when it is clean.
  scenario_model compiled;
  // The train's fastest run against its timetable, when the compile is
  // clean (tool/railway/timetable.h); its findings are among the warnings.
  std::optional<timetable_report> timetable;

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

// Compiles `texts` (Windows-1252) in memory, as compile does, then reads
// them again past every fault. Writes nothing.
definition_check check_definitions(const definition_texts& texts, const scenario_identity& id);

struct definition_finding {
  bool is_fault = false;
  int32_t code = kNoFault;  // the fault number; 0 for a warning
  source_site site;
  std::string message;      // UTF-8, as check words it after "errore N: " or "avviso: "
  std::optional<warning_kind> warning;  // what a warning is about; none for a fault
};

// check_definitions as one list, faults first.
std::vector<definition_finding> collect_findings(const definition_texts& texts, const scenario_identity& id);

}  // namespace scenario::tool

#endif  // TOOL_DEFINITION_FINDINGS_H_
