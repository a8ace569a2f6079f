#include <ostream>

#include "tool/commands.h"

namespace scenario::tool {

int run_map(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  (void)words;
  (void)out;
  err << "scenario map: non ancora disponibile\n";
  return kExitUsage;
}

}  // namespace scenario::tool
