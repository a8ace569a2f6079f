// What every subcommand that compiles needs: the directory and identity of
// an author's definitions from the command line, checked before use.
#ifndef TOOL_DEFINITIONS_H_
#define TOOL_DEFINITIONS_H_

#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/model.h"

#include "tool/arguments.h"

namespace scenario::tool {

struct definition_set {
  std::string directory;
  std::string route;
  std::string train;
};

// Takes DIR from the first positional word and --route/--train; checks that
// the directory and both definition files exist and can be read. On a
// problem writes a clear message to `err` and returns nullopt.
std::optional<definition_set> find_definitions(const arguments& args, std::ostream& err);

// The start every command on an author's definitions shares: parses its
// words (--route and --train besides `with_value`, --help besides
// `switches`), answers --help, and finds the definitions. When the command
// is done there (help, or a usage problem) it returns nullopt and sets
// *status.
struct command_start {
  arguments args;
  definition_set set;
};
std::optional<command_start> start_command(const std::string& name, const std::vector<std::string>& words,
                                           std::set<std::string> with_value, std::set<std::string> switches,
                                           const char* help, std::ostream& out, std::ostream& err, int* status);

// An empty model with the definitions' identity.
scenario_model model_for(const definition_set& set);

}  // namespace scenario::tool

#endif  // TOOL_DEFINITIONS_H_
