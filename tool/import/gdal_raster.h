// GeoTIFF rasters read through GDAL, in whatever reference system they
// carry; no other format, nothing that refers to other files or to the
// network. Only the Linux build has GDAL.
#ifndef TOOL_IMPORT_GDAL_RASTER_H_
#define TOOL_IMPORT_GDAL_RASTER_H_

#include <string>

#include "tool/import/elevation.h"

namespace scenario::tool::import {

// The raster's first band, in metres; its "no data" value and NaN hold no value.
opened_elevation open_gdal_raster(const std::string& path);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_GDAL_RASTER_H_
