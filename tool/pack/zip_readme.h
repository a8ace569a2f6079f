// LEGGIMI.txt of the archive `scenario pack` makes: what the files are and
// how to put them in place, in Italian, CR LF.
#ifndef TOOL_PACK_ZIP_README_H_
#define TOOL_PACK_ZIP_README_H_

#include <string>

#include "model/identity.h"

namespace scenario::tool {

std::string zip_readme(const scenario_identity& id);

}  // namespace scenario::tool

#endif  // TOOL_PACK_ZIP_README_H_
