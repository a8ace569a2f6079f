// Every message about a definition goes through here, in the layout an
// author reads and an editor can jump from:
//
//   <path>:<line>:<column>: errore <n>: <words>[: <detail>] (<position> m)
//   <the record's source line>
//   <caret under the field at fault>
//
// What does not apply (no file, no line, no position) is left out.
// The result is UTF-8: text quoted from a definition is converted from
// Windows-1252 where it enters the message; paths are passed through.
#ifndef MODEL_DIAGNOSTICS_H_
#define MODEL_DIAGNOSTICS_H_

#include <string>

#include "model/findings.h"

namespace scenario {

// The two definitions as the author names them (for instance as typed
// from the current directory).
struct definition_paths {
  std::string line;
  std::string train;

  const std::string& of(definition_file file) const;
};

// First line only.
std::string fault_headline(const fault_state& fault, const definition_paths& paths);
// The words of the fault alone: "<words>[: <detail>] [(con il record di
// riga N di <path>)] (<position> m)"; without paths the definition is named
// by what it is.
std::string fault_message(const fault_state& fault, const definition_paths& paths = {});
// Headline, then the source line and a caret where a record is to blame.
std::string format_fault(const fault_state& fault, const definition_paths& paths);
std::string warning_message(const load_warning& warning);
std::string format_warning(const load_warning& warning, const definition_paths& paths);

}  // namespace scenario

#endif  // MODEL_DIAGNOSTICS_H_
