// A place in degrees goes through the raster's reference system and its
// geotransform to a pixel position; the altitude is bilinear between the
// centres of the four pixels around it. GDAL reads the pixels on demand
// through its own block cache, so a large raster is never read whole.
#include "tool/import/gdal_raster.h"

#include <algorithm>
#include <filesystem>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "model/file_error.h"
#include "tool/import/gdal_library.h"

namespace scenario::tool::import {
namespace {

template <typename H, typename D>
using handle = std::unique_ptr<std::remove_pointer_t<H>, D>;
using dataset_handle = handle<GDALDatasetH, decltype(gdal_library::close)>;
using srs_handle = handle<OGRSpatialReferenceH, decltype(gdal_library::destroy_srs)>;
using transform_handle = handle<OGRCoordinateTransformationH, decltype(gdal_library::destroy_transformation)>;

// GDAL tells its errors on standard error unless a handler is pushed; here
// they end in the command's own message instead.
class quiet_gdal {
 public:
  explicit quiet_gdal(const gdal_library& g) : g_(g) {
    g_.push_error_handler(g_.quiet_error_handler);
    g_.error_reset();
  }
  ~quiet_gdal() { g_.pop_error_handler(); }
  quiet_gdal(const quiet_gdal&) = delete;
  quiet_gdal& operator=(const quiet_gdal&) = delete;

  // GDAL's last words, for the end of a message.
  std::string words() const {
    const std::string w = g_.last_error();
    return w.empty() ? std::string() : " (" + w + ")";
  }

 private:
  const gdal_library& g_;
};

class gdal_model final : public elevation_model {
 public:
  gdal_model(const gdal_library& g, std::string path, dataset_handle dataset, transform_handle to_raster,
             const double inverse[6])
      : g_(g), path_(std::move(path)), dataset_(std::move(dataset)), to_raster_(std::move(to_raster)) {
    std::copy(inverse, inverse + 6, inverse_);
    band_ = g_.band(dataset_.get(), 1);
    width_ = g_.band_width(band_);
    height_ = g_.band_height(band_);
    int has = 0;
    const double nodata = g_.nodata(band_, &has);
    if (has) nodata_ = nodata;
    scale_ = g_.scale(band_, nullptr);
    offset_ = g_.offset(band_, nullptr);
  }

  std::optional<double> altitude(double lon, double lat) const override {
    double x = lon;
    double y = lat;
    if (!g_.transform(to_raster_.get(), 1, &x, &y, nullptr) || !std::isfinite(x) || !std::isfinite(y)) {
      return std::nullopt;
    }
    const double px = inverse_[0] + x * inverse_[1] + y * inverse_[2];
    const double py = inverse_[3] + x * inverse_[4] + y * inverse_[5];
    if (!(px >= 0 && px <= width_ && py >= 0 && py <= height_)) return std::nullopt;
    // Pixel values stand at the pixels' centres; within half a pixel of
    // the edge the nearest edge pixels hold the place.
    const double cx = std::clamp(px - 0.5, 0.0, static_cast<double>(width_ - 1));
    const double cy = std::clamp(py - 0.5, 0.0, static_cast<double>(height_ - 1));
    const int x0 = std::min(static_cast<int>(cx), std::max(width_ - 2, 0));
    const int y0 = std::min(static_cast<int>(cy), std::max(height_ - 2, 0));
    const int nx = std::min(2, width_);
    const int ny = std::min(2, height_);
    double v[4] = {0, 0, 0, 0};
    quiet_gdal quiet(g_);
    if (g_.raster_io(band_, GF_Read, x0, y0, nx, ny, v, nx, ny, GDT_Float64, 0, 2 * sizeof(double)) != CE_None) {
      throw file_error("il raster " + path_ + " e' danneggiato: impossibile leggerne i valori" + quiet.words());
    }
    const double fx = cx - x0;
    const double fy = cy - y0;
    double sum = 0;
    double weight = 0;
    for (int dy = 0; dy < ny; ++dy) {
      for (int dx = 0; dx < nx; ++dx) {
        const double h = v[dy * 2 + dx];
        const double w = (dy ? fy : (ny == 2 ? 1 - fy : 1)) * (dx ? fx : (nx == 2 ? 1 - fx : 1));
        if (w == 0 || !std::isfinite(h) || (nodata_ && h == *nodata_)) continue;
        sum += w * h;
        weight += w;
      }
    }
    if (weight == 0) return std::nullopt;
    return sum / weight * scale_ + offset_;
  }

 private:
  gdal_library g_;
  std::string path_;
  dataset_handle dataset_;
  transform_handle to_raster_;
  double inverse_[6] = {};
  GDALRasterBandH band_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::optional<double> nodata_;
  double scale_ = 1;
  double offset_ = 0;
};

// GDAL stays inside the one file it is given. Its settings are the
// process's own, made once before any driver is registered: no file on the
// network (the remote file systems open nothing), no coordinate grids
// fetched by the projection library, no side files looked for or written
// beside the raster.
void confine_gdal(const gdal_library& g) {
  g.set_config_option("CPL_VSIL_CURL_ALLOWED_FILENAME", "/nessun-file-in-rete");
  g.set_config_option("CPL_VSIL_CURL_ALLOWED_EXTENSIONS", ".nessun-file-in-rete");
  g.set_config_option("GDAL_HTTP_TIMEOUT", "1");
  g.set_config_option("GDAL_HTTP_MAX_RETRY", "0");
  g.set_config_option("GDAL_DISABLE_READDIR_ON_OPEN", "EMPTY_DIR");
  g.set_config_option("GDAL_PAM_ENABLED", "NO");
  g.set_config_option("GDAL_DRIVER_PATH", "disable");
  g.set_proj_network(0);
}

// The one raster format an elevation model may come in beside the .hgt
// tiles: GeoTIFF, which holds its pixels and its reference system itself.
const char* const kElevationDrivers[] = {"GTiff", nullptr};

}  // namespace

opened_elevation open_gdal_raster(const std::string& path) {
  // A GDAL name such as /vsicurl/URL or DRIVER:... is no file on this disk;
  // only a file that is there is opened, by the raster drivers alone, so a
  // description that points elsewhere (a virtual raster) is never followed.
  std::error_code ec;
  if (path.starts_with("/vsi") || !std::filesystem::is_regular_file(path, ec)) {
    return {nullptr, "il modello altimetrico " + path + " non e' un file"};
  }
  std::string missing;
  const std::optional<gdal_library> loaded = load_gdal_library(missing);
  if (!loaded) return {nullptr, "impossibile leggere il raster " + path + ": " + missing};
  const gdal_library& g = *loaded;
  confine_gdal(g);
  g.all_register();
  quiet_gdal quiet(g);
  dataset_handle dataset(
      g.open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, kElevationDrivers, nullptr, nullptr), g.close);
  if (!dataset) {
    return {nullptr, "il file " + path +
                         " non e' un modello altimetrico leggibile (piastrelle .hgt o GeoTIFF)" +
                         quiet.words()};
  }
  const std::string driver = g.driver_short_name(g.dataset_driver(dataset.get()));
  if (driver != kElevationDrivers[0]) {
    return {nullptr, "il file " + path + " e' un raster " + driver + ", non un GeoTIFF"};
  }
  if (g.raster_count(dataset.get()) < 1) return {nullptr, "il file " + path + " non contiene un raster"};
  double forward[6];
  double inverse[6];
  if (g.geo_transform(dataset.get(), forward) != CE_None || !g.invert_geo_transform(forward, inverse)) {
    return {nullptr, "il raster " + path + " non dice dove si trova sulla Terra (manca la georeferenziazione)"};
  }
  OGRSpatialReferenceH raster_srs = g.spatial_ref(dataset.get());
  if (!raster_srs) return {nullptr, "il raster " + path + " non dice il suo sistema di riferimento"};
  // Both systems take x before y (longitude before latitude), as the
  // geotransform and the caller do, whatever order their authority states.
  srs_handle target(g.clone_srs(raster_srs), g.destroy_srs);
  g.set_axis_mapping(target.get(), OAMS_TRADITIONAL_GIS_ORDER);
  srs_handle wgs84(g.new_srs(nullptr), g.destroy_srs);
  g.set_well_known_geog_cs(wgs84.get(), "WGS84");
  g.set_axis_mapping(wgs84.get(), OAMS_TRADITIONAL_GIS_ORDER);
  transform_handle to_raster(g.new_transformation(wgs84.get(), target.get()), g.destroy_transformation);
  if (!to_raster) {
    return {nullptr,
            "il sistema di riferimento del raster " + path + " non si raggiunge da WGS 84" + quiet.words()};
  }
  return {std::make_unique<gdal_model>(g, path, std::move(dataset), std::move(to_raster), inverse), {}};
}

}  // namespace scenario::tool::import
