// Test support for the tool's commands: run one with its words and keep
// what it printed.
#ifndef TOOL_TOOL_TESTING_H_
#define TOOL_TOOL_TESTING_H_

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace scenario::tool::testing {

struct tool_run {
  int status;
  std::string out;
  std::string err;
};

using command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

inline tool_run run_command(command c, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = c(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace scenario::tool::testing

#endif  // TOOL_TOOL_TESTING_H_
