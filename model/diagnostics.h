// Every message about a definition goes through here: the words for each
// fault number and warning, and the layout an author reads:
//
//   <file>:<line>: errore <n>: <words> (<position> m)
//   <the record's source line>
//   <caret under the field at fault>
//
// Parts that do not apply (no file, no line, no position) are left out.
#ifndef MODEL_DIAGNOSTICS_H_
#define MODEL_DIAGNOSTICS_H_

#include <cstdint>
#include <string>

#include "model/model.h"

namespace scenario {

// What fault `code` means, in words; empty for an unknown number.
std::string fault_words(int32_t code);
// Whether the fault names a position along the line.
bool fault_has_position(int32_t code);
std::string warning_words(warning_kind kind);

// The name of the definition file a site points into, for this identity.
std::string definition_name(definition_file file, const std::string& route, const std::string& train);

// First line only: "<file>:<line>: errore <n>: <words>[: detail] (<p> m)".
std::string fault_headline(const fault_state& fault, int32_t code, const std::string& route, const std::string& train);
// Headline, then the source line and a caret where a record is to blame.
std::string format_fault(const fault_state& fault, int32_t code, const std::string& route, const std::string& train);
std::string format_warning(const load_warning& warning, const std::string& route, const std::string& train);

}  // namespace scenario

#endif  // MODEL_DIAGNOSTICS_H_
