// GDAL's functions that the raster reader calls, looked up when a raster is
// first opened rather than linked: GDAL brings a hundred shared libraries,
// whose loading would slow every start of the tool, and the tool's other
// commands (and the .hgt tiles) need none of them.
#ifndef TOOL_IMPORT_GDAL_LIBRARY_H_
#define TOOL_IMPORT_GDAL_LIBRARY_H_

#include <gdal.h>
#include <ogr_srs_api.h>

#include <optional>
#include <string>

namespace scenario::tool::import {

struct gdal_library {
  decltype(&GDALAllRegister) all_register;
  decltype(&GDALOpenEx) open;
  decltype(&GDALClose) close;
  decltype(&GDALGetRasterCount) raster_count;
  decltype(&GDALGetGeoTransform) geo_transform;
  decltype(&GDALInvGeoTransform) invert_geo_transform;
  decltype(&GDALGetSpatialRef) spatial_ref;
  decltype(&GDALGetRasterBand) band;
  decltype(&GDALGetRasterBandXSize) band_width;
  decltype(&GDALGetRasterBandYSize) band_height;
  decltype(&GDALGetRasterNoDataValue) nodata;
  decltype(&GDALGetRasterScale) scale;
  decltype(&GDALGetRasterOffset) offset;
  decltype(&GDALRasterIO) raster_io;
  decltype(&CPLPushErrorHandler) push_error_handler;
  decltype(&CPLPopErrorHandler) pop_error_handler;
  decltype(&CPLQuietErrorHandler) quiet_error_handler;
  decltype(&CPLErrorReset) error_reset;
  decltype(&CPLGetLastErrorMsg) last_error;
  decltype(&OSRNewSpatialReference) new_srs;
  decltype(&OSRClone) clone_srs;
  decltype(&OSRDestroySpatialReference) destroy_srs;
  decltype(&OSRSetWellKnownGeogCS) set_well_known_geog_cs;
  decltype(&OSRSetAxisMappingStrategy) set_axis_mapping;
  decltype(&OCTNewCoordinateTransformation) new_transformation;
  decltype(&OCTDestroyCoordinateTransformation) destroy_transformation;
  decltype(&OCTTransform) transform;
};

// GDAL's functions, or nothing and in `error` why (in Italian). The library
// stays loaded to the end of the process.
std::optional<gdal_library> load_gdal_library(std::string& error);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_GDAL_LIBRARY_H_
