// What every subcommand that compiles needs: the directory and identity of
// an author's definitions from the command line, checked before use.
#ifndef TOOL_DEFINITIONS_H_
#define TOOL_DEFINITIONS_H_

#include <iosfwd>
#include <optional>
#include <string>

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

}  // namespace scenario::tool

#endif  // TOOL_DEFINITIONS_H_
