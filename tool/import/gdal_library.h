// GDAL's functions that the raster reader calls, looked up when a raster is
// first opened rather than linked: GDAL brings a hundred shared libraries,
// whose loading would slow every start of the tool, and the tool's other
// commands (and the .hgt tiles) need none of them.
#ifndef TOOL_IMPORT_GDAL_LIBRARY_H_
#define TOOL_IMPORT_GDAL_LIBRARY_H_

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <optional>
#include <string>

namespace scenario::tool::import {

// Each function once: the member that holds it and its name in the library.
#define SCENARIO_GDAL_FUNCTIONS(F) \
  F(all_register, GDALAllRegister) \
  F(set_config_option, CPLSetConfigOption) \
  F(set_proj_network, OSRSetPROJEnableNetwork) \
  F(open, GDALOpenEx) \
  F(dataset_driver, GDALGetDatasetDriver) \
  F(driver_short_name, GDALGetDriverShortName) \
  F(close, GDALClose) \
  F(raster_count, GDALGetRasterCount) \
  F(geo_transform, GDALGetGeoTransform) \
  F(invert_geo_transform, GDALInvGeoTransform) \
  F(spatial_ref, GDALGetSpatialRef) \
  F(band, GDALGetRasterBand) \
  F(band_width, GDALGetRasterBandXSize) \
  F(band_height, GDALGetRasterBandYSize) \
  F(nodata, GDALGetRasterNoDataValue) \
  F(scale, GDALGetRasterScale) \
  F(offset, GDALGetRasterOffset) \
  F(raster_io, GDALRasterIO) \
  F(push_error_handler, CPLPushErrorHandler) \
  F(pop_error_handler, CPLPopErrorHandler) \
  F(quiet_error_handler, CPLQuietErrorHandler) \
  F(error_reset, CPLErrorReset) \
  F(last_error, CPLGetLastErrorMsg) \
  F(new_srs, OSRNewSpatialReference) \
  F(clone_srs, OSRClone) \
  F(destroy_srs, OSRDestroySpatialReference) \
  F(set_well_known_geog_cs, OSRSetWellKnownGeogCS) \
  F(set_axis_mapping, OSRSetAxisMappingStrategy) \
  F(new_transformation, OCTNewCoordinateTransformation) \
  F(destroy_transformation, OCTDestroyCoordinateTransformation) \
  F(transform, OCTTransform)

struct gdal_library {
#define SCENARIO_GDAL_MEMBER(member, function) decltype(&function) member = nullptr;
  SCENARIO_GDAL_FUNCTIONS(SCENARIO_GDAL_MEMBER)
#undef SCENARIO_GDAL_MEMBER
};

// GDAL's functions, or nothing and in `error` why (in Italian). The library
// stays loaded to the end of the process.
std::optional<gdal_library> load_gdal_library(std::string& error);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_GDAL_LIBRARY_H_
