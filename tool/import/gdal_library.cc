#include "tool/import/gdal_library.h"

#include <dlfcn.h>

namespace scenario::tool::import {
namespace {

template <typename F>
bool find(void* library, const char* name, F& f, std::string& missing) {
  f = reinterpret_cast<F>(dlsym(library, name));
  if (!f) missing = name;
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
  gdal_library g{};
  std::string missing;
  const bool found =
      find(library, "GDALAllRegister", g.all_register, missing) && find(library, "GDALOpenEx", g.open, missing) &&
      find(library, "GDALClose", g.close, missing) && find(library, "GDALGetRasterCount", g.raster_count, missing) &&
      find(library, "GDALGetGeoTransform", g.geo_transform, missing) &&
      find(library, "GDALInvGeoTransform", g.invert_geo_transform, missing) &&
      find(library, "GDALGetSpatialRef", g.spatial_ref, missing) &&
      find(library, "GDALGetRasterBand", g.band, missing) &&
      find(library, "GDALGetRasterBandXSize", g.band_width, missing) &&
      find(library, "GDALGetRasterBandYSize", g.band_height, missing) &&
      find(library, "GDALGetRasterNoDataValue", g.nodata, missing) &&
      find(library, "GDALGetRasterScale", g.scale, missing) &&
      find(library, "GDALGetRasterOffset", g.offset, missing) && find(library, "GDALRasterIO", g.raster_io, missing) &&
      find(library, "CPLPushErrorHandler", g.push_error_handler, missing) &&
      find(library, "CPLPopErrorHandler", g.pop_error_handler, missing) &&
      find(library, "CPLQuietErrorHandler", g.quiet_error_handler, missing) &&
      find(library, "CPLErrorReset", g.error_reset, missing) &&
      find(library, "CPLGetLastErrorMsg", g.last_error, missing) &&
      find(library, "OSRNewSpatialReference", g.new_srs, missing) && find(library, "OSRClone", g.clone_srs, missing) &&
      find(library, "OSRDestroySpatialReference", g.destroy_srs, missing) &&
      find(library, "OSRSetWellKnownGeogCS", g.set_well_known_geog_cs, missing) &&
      find(library, "OSRSetAxisMappingStrategy", g.set_axis_mapping, missing) &&
      find(library, "OCTNewCoordinateTransformation", g.new_transformation, missing) &&
      find(library, "OCTDestroyCoordinateTransformation", g.destroy_transformation, missing) &&
      find(library, "OCTTransform", g.transform, missing);
  if (!found) {
    error = std::string("la GDAL installata (") + SCENARIO_GDAL_LIBRARY + ") non ha la funzione " + missing;
    return std::nullopt;
  }
  return g;
}

}  // namespace scenario::tool::import
