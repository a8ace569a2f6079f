// The subcommands of `scenario`. Each takes the words after its name and
// writes to `out` and `err`; the result is the process exit status.
#ifndef TOOL_COMMANDS_H_
#define TOOL_COMMANDS_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace scenario::tool {

// Exit statuses shared by the subcommands.
inline constexpr int kExitClean = 0;
inline constexpr int kExitFault = 1;   // a fault in the definitions (check: warnings only)
inline constexpr int kExitUsage = 2;   // bad command line, missing or unreadable file

// The whole command line after the program's name: a command and its words.
int run_scenario(std::vector<std::string> args, std::ostream& out, std::ostream& err);

int run_compile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_map(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_serve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_example(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// A first draft of a line and a train from a map extract.
int run_import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_orario(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_pack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_documenti(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// Serves the language server protocol on standard input and output.
int run_lsp(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // TOOL_COMMANDS_H_
