// The command line of the tool: positional words and --options, some of
// which take a value. Unknown options are errors.
#ifndef TOOL_ARGUMENTS_H_
#define TOOL_ARGUMENTS_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace scenario::tool {

struct arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // --name VALUE
  std::set<std::string> flags;                // --name

  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::optional<std::string> value(const std::string& name) const;
};

// Parses `args`; `with_value` lists the options that take a value and
// `switches` those that do not. On a mistake returns nullopt and sets *error.
std::optional<arguments> parse_arguments(const std::vector<std::string>& args, const std::set<std::string>& with_value,
                                         const std::set<std::string>& switches, std::string* error);

}  // namespace scenario::tool

#endif  // TOOL_ARGUMENTS_H_
