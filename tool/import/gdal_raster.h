// Rasters read through GDAL (GeoTIFF and the other formats it knows), in
// whatever reference system they carry. Only the Linux build has GDAL.
#ifndef TOOL_IMPORT_GDAL_RASTER_H_
#define TOOL_IMPORT_GDAL_RASTER_H_

#include <string>

#include "tool/import/elevation.h"

namespace scenario::tool::import {

// The raster's first band, in metres; its "no data" value and NaN hold no value.
opened_elevation open_gdal_raster(const std::string& path);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_GDAL_RASTER_H_
