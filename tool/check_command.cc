#include <ostream>

#include "tool/commands.h"

namespace scenario::tool {

int run_check(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  (void)words;
  (void)out;
  err << "scenario check: non ancora disponibile\n";
  return kExitUsage;
}

}  // namespace scenario::tool
