#include "tool/import/gdal_library.h"

#include <dlfcn.h>

namespace scenario::tool::import {
namespace {

template <typename F>
bool find(void* library, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(library, name));
  return f != nullptr;
}

}  // namespace

std::optional<gdal_library> load_gdal_library(std::string& error) {
  // The library the tool was built against, by its shared-object name.
  void* library = dlopen(SCENARIO_GDAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    error = std::string("GDAL non e' installata (") + SCENARIO_GDAL_LIBRARY +
            "): serve per i GeoTIFF e gli altri raster; le piastrelle .hgt si leggono senza";
    return std::nullopt;
  }
  gdal_library g;
  std::string missing;
#define SCENARIO_GDAL_FIND(member, function) \
  if (missing.empty() && !find(library, #function, g.member)) missing = #function;
  SCENARIO_GDAL_FUNCTIONS(SCENARIO_GDAL_FIND)
#undef SCENARIO_GDAL_FIND
  if (!missing.empty()) {
    error = std::string("la GDAL installata (") + SCENARIO_GDAL_LIBRARY + ") non ha la funzione " + missing;
    return std::nullopt;
  }
  return g;
}

}  // namespace scenario::tool::import
