// The scenario program installed beside the tool: the copy `scenario pack`
// appends an author's scenario to.
#ifndef TOOL_PACK_OWN_PROGRAM_H_
#define TOOL_PACK_OWN_PROGRAM_H_

#include <string>

namespace scenario::tool {

// The path of the program in the tool's own folder (on Windows the .exe),
// whether it exists or not.
std::string program_beside_tool();

}  // namespace scenario::tool

#endif  // TOOL_PACK_OWN_PROGRAM_H_
