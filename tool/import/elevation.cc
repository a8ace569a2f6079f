// Which reader opens an elevation model: ".hgt" tiles by their name (a file
// or a folder of them), every other file through GDAL where the tool has it.
#include "tool/import/elevation.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "tool/import/hgt_tiles.h"
#ifdef SCENARIO_WITH_GDAL
#include "tool/import/gdal_raster.h"
#endif

namespace scenario::tool::import {

opened_elevation open_elevation_model(const std::string& path) {
  const std::filesystem::path p(path);
  std::error_code ec;
  const auto status = std::filesystem::status(p, ec);
  if (!std::filesystem::exists(status)) return {nullptr, "il modello altimetrico " + path + " non esiste"};
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (std::filesystem::is_directory(status) || ext == ".hgt") return open_hgt_tiles(p);
#ifdef SCENARIO_WITH_GDAL
  return open_gdal_raster(path);
#else
  return {nullptr, "il file " + path +
                       " non e' una piastrella .hgt: i GeoTIFF e gli altri raster si leggono solo con scenario "
                       "per Linux; qui servono le piastrelle SRTM .hgt (un file o una cartella)"};
#endif
}

}  // namespace scenario::tool::import
