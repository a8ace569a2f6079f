// What every subcommand that compiles needs: the directory and identity of
// an author's definitions from the command line, checked before use, and
// their text read once.
#ifndef TOOL_DEFINITIONS_H_
#define TOOL_DEFINITIONS_H_

#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "model/findings.h"
#include "model/loader.h"
#include "model/model.h"

#include "tool/arguments.h"

namespace scenario::tool {

struct definition_set {
  std::string directory;
  std::string route;
  std::string train;

  // The two definitions as the author would type them from here.
  definition_paths paths() const;
};

// The start every command on an author's definitions shares: parses its
// words (--route and --train besides `with_value`, --help besides
// `switches`), answers --help, checks DIR and the identity, and reads both
// definitions. When the command is done there (help, or a problem) it
// returns nullopt and sets *status; a definition that cannot be read also
// sets *missing to the fault the compile would record (101 for the line
// definition, 25 for the train definition), and one that does not exist
// lists the definitions the folder holds. With --write-on-fault a missing
// train definition is no stop: texts.train is then nullopt.
struct command_start {
  arguments args;
  definition_set set;
  definition_texts texts;
};
std::optional<command_start> start_command(const std::string& name, const std::vector<std::string>& words,
                                           std::set<std::string> with_value, std::set<std::string> switches,
                                           const char* help, std::ostream& out, std::ostream& err, int* status,
                                           fault_code* missing = nullptr);

// With --no-plan the route cells of train "linea" take the name of the
// route plan: why they may not replace the file there, when it is not
// route cells (an earlier compile's route plan); or nullopt.
std::optional<std::string> cells_would_replace_plan(const definition_set& set);

// "1 avviso", "2 avvisi".
std::string count_words(size_t n, const char* one, const char* many);

// An empty model with the definitions' identity.
scenario_model model_for(const definition_set& set);

}  // namespace scenario::tool

#endif  // TOOL_DEFINITIONS_H_
