// scenario import in the Windows build: the map projection library has no
// build there, so the command only says where to find it.
#include <ostream>

#include "tool/commands.h"

namespace scenario::tool {

int run_import(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
  err << "scenario import: non disponibile in questa build per Windows (la proiezione delle mappe usa GeographicLib,\n"
         "che qui manca): importare con la build Linux di scenario, poi usare qui le definizioni scritte\n";
  return kExitUsage;
}

}  // namespace scenario::tool
