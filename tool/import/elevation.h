// Elevation models `scenario import` samples the ground from: SRTM ".hgt"
// tiles (a file or a folder of them) on every build, GeoTIFF and the other
// rasters GDAL reads where the tool is built with GDAL.
#ifndef TOOL_IMPORT_ELEVATION_H_
#define TOOL_IMPORT_ELEVATION_H_

#include <memory>
#include <optional>
#include <string>

namespace scenario::tool::import {

class elevation_model {
 public:
  virtual ~elevation_model() = default;
  // The altitude in metres at a place given in degrees (WGS 84), or nothing
  // where the model does not cover it or holds no value there. A file found
  // broken only when its values are read (a GeoTIFF cut short) throws a
  // file_error naming it: sample the whole track before writing anything.
  virtual std::optional<double> altitude(double lon, double lat) const = 0;
};

struct opened_elevation {
  std::unique_ptr<elevation_model> model;  // null when the input was refused
  std::string error;                       // in Italian, naming the input
};

// Opens `path`: a ".hgt" file, a folder of ".hgt" files, or a raster file.
opened_elevation open_elevation_model(const std::string& path);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_ELEVATION_H_
