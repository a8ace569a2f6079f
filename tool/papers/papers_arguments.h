// The command-line options that shape the driver's papers, shared by the
// commands that write them (documenti, pack).
#ifndef TOOL_PAPERS_PAPERS_ARGUMENTS_H_
#define TOOL_PAPERS_PAPERS_ARGUMENTS_H_

#include <iosfwd>
#include <optional>
#include <set>
#include <string>

#include "tool/arguments.h"
#include "tool/papers/papers.h"

namespace scenario::tool {

// --note FILE, --sosta S, --chilometrica crescente|decrescente.
const std::set<std::string>& papers_option_names();

// Their lines of a command's help, to join to its own text.
#define SCENARIO_PAPERS_OPTIONS_HELP                                                          \
  "  --note FILE       il testo delle note (ANSI o UTF-8); senza, un riassunto dello scenario\n" \
  "  --sosta S         secondi di sosta a ogni fermata (30)\n"                                  \
  "  --chilometrica    la chilometrica cresce o decresce lungo il percorso (decrescente)\n"

// The options from `args`; on a bad value or an unreadable notes file
// tells `err` (as "scenario COMMAND: ...") and returns nullopt.
std::optional<papers_options> papers_options_from(const arguments& args, const std::string& command,
                                                  std::ostream& err);

}  // namespace scenario::tool

#endif  // TOOL_PAPERS_PAPERS_ARGUMENTS_H_
