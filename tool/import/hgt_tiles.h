// SRTM ".hgt" tiles: a square grid of big-endian 16-bit altitudes in metres
// covering one degree, named after its south-west corner (N43E007.hgt).
// Plain C++, so every build reads them.
#ifndef TOOL_IMPORT_HGT_TILES_H_
#define TOOL_IMPORT_HGT_TILES_H_

#include <filesystem>

#include "tool/import/elevation.h"

namespace scenario::tool::import {

// A ".hgt" file, or a folder whose ".hgt" files are the tiles.
opened_elevation open_hgt_tiles(const std::filesystem::path& path);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_HGT_TILES_H_
