// Where a command may write an author's new definitions: not into the
// program's own folder, which the program fills and empties at each start.
#ifndef TOOL_OUTPUT_FOLDER_H_
#define TOOL_OUTPUT_FOLDER_H_

#include <optional>
#include <string>

namespace scenario::tool {

// Why a command may not write into `directory` (it holds the program), in
// Italian, advising the command line `instead`; or nullopt.
std::optional<std::string> program_folder_problem(const std::string& directory, const std::string& instead);

}  // namespace scenario::tool

#endif  // TOOL_OUTPUT_FOLDER_H_
