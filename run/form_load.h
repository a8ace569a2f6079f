// Form_Load: the whole run of the program. Fixes the identity, shows the
// window, writes the two definitions and the three documents, compiles the
// definitions into the binary files and ends.
#ifndef RUN_FORM_LOAD_H_
#define RUN_FORM_LOAD_H_

#include <string>

#include "model/identity.h"
#include "model/model.h"
#include "run/platform.h"

namespace scenario {

// The text after " Errore n. " for a fault recorded in the definitions:
// its number, and its position where it names one ("16 (5950 m)").
std::string recorded_fault_text(const fault_state& fault);

// The compile of the run: reads the two definitions of `id` in `directory`,
// deletes them, compiles them into the binary files there and reports the
// fault the compile found, if any, through errore. Returns 0, or 1 after a
// report. Throws file_error.
int compile_definitions(platform& p, const std::string& directory, const scenario_identity& id);

// Runs the sequence in `p.application_directory()`. Returns the process
// exit status: 0 for a clean run, non-zero after a report.
int Form_Load(platform& p);

}  // namespace scenario

#endif  // RUN_FORM_LOAD_H_
