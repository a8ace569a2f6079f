#include "tool/pack/own_program.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "content/built_in_identity.h"
#include "model/file_names.h"

namespace scenario::tool {
namespace {

// The tool's own file, or empty when the system does not say.
std::string tool_file() {
  std::string path(4096, '\0');
#ifdef _WIN32
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
#else
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return {};
#endif
  path.resize(static_cast<size_t>(n));
  return path;
}

}  // namespace

std::string program_beside_tool() {
  const scenario_identity id = built_in_identity();
  std::string name = id.route_name + "_" + id.train_number;
#ifdef _WIN32
  name += ".exe";
#endif
  const std::string self = tool_file();
  const size_t separator = self.find_last_of("\\/");
  return separator == std::string::npos ? name : path_in(self.substr(0, separator), name);
}

}  // namespace scenario::tool
