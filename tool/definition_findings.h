// Everything a check finds in a pair of definitions, as a list: the faults
// and the warnings, each with its site and its message. The one place the
// language server takes its findings from, so the editor shows what
// `scenario check` reports.
#ifndef TOOL_DEFINITION_FINDINGS_H_
#define TOOL_DEFINITION_FINDINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/findings.h"
#include "model/identity.h"
#include "model/loader.h"

namespace scenario::tool {

struct definition_finding {
  bool is_fault = false;
  int32_t code = kNoFault;  // the fault number; 0 for a warning
  source_site site;
  std::string message;      // UTF-8, as check words it after "errore N: " or "avviso: "
};

// Compiles `texts` (Windows-1252) in memory, as check does, and lists what
// it reports. Writes nothing.
std::vector<definition_finding> collect_findings(const definition_texts& texts, const scenario_identity& id);

}  // namespace scenario::tool

#endif  // TOOL_DEFINITION_FINDINGS_H_
