// A place in degrees goes through the raster's reference system and its
// geotransform to a pixel position; the altitude is bilinear between the
// centres of the four pixels around it. GDAL reads the pixels on demand
// through its own block cache, so a large raster is never read whole.
#include "tool/import/gdal_raster.h"

#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "model/file_error.h"

namespace scenario::tool::import {
namespace {

// GDAL's last error words, for the end of a message; GDAL tells its errors
// to standard error unless a handler is pushed, and the command tells its own.
std::string gdal_words() {
  const std::string words = CPLGetLastErrorMsg();
  return words.empty() ? std::string() : " (" + words + ")";
}

struct quiet_gdal {
  quiet_gdal() {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
  }
  ~quiet_gdal() { CPLPopErrorHandler(); }
  quiet_gdal(const quiet_gdal&) = delete;
  quiet_gdal& operator=(const quiet_gdal&) = delete;
};

struct dataset_closer {
  void operator()(void* d) const { GDALClose(d); }
};
struct srs_closer {
  void operator()(void* s) const { OSRDestroySpatialReference(s); }
};
struct transform_closer {
  void operator()(void* t) const { OCTDestroyCoordinateTransformation(t); }
};
using dataset_handle = std::unique_ptr<void, dataset_closer>;
using srs_handle = std::unique_ptr<void, srs_closer>;
using transform_handle = std::unique_ptr<void, transform_closer>;

class gdal_model final : public elevation_model {
 public:
  gdal_model(std::string path, dataset_handle dataset, transform_handle to_raster, const double inverse[6])
      : path_(std::move(path)), dataset_(std::move(dataset)), to_raster_(std::move(to_raster)) {
    std::copy(inverse, inverse + 6, inverse_);
    band_ = GDALGetRasterBand(dataset_.get(), 1);
    width_ = GDALGetRasterBandXSize(band_);
    height_ = GDALGetRasterBandYSize(band_);
    int has = 0;
    const double nodata = GDALGetRasterNoDataValue(band_, &has);
    if (has) nodata_ = nodata;
    scale_ = GDALGetRasterScale(band_, nullptr);
    offset_ = GDALGetRasterOffset(band_, nullptr);
  }

  std::optional<double> altitude(double lon, double lat) const override {
    double x = lon;
    double y = lat;
    if (!OCTTransform(to_raster_.get(), 1, &x, &y, nullptr) || !std::isfinite(x) || !std::isfinite(y)) {
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
    quiet_gdal quiet;
    if (GDALRasterIO(band_, GF_Read, x0, y0, nx, ny, v, nx, ny, GDT_Float64, 0, 2 * sizeof(double)) != CE_None) {
      throw file_error("il raster " + path_ + " e' danneggiato: impossibile leggerne i valori" + gdal_words());
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

}  // namespace

opened_elevation open_gdal_raster(const std::string& path) {
  GDALAllRegister();
  quiet_gdal quiet;
  dataset_handle dataset(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!dataset) {
    return {nullptr, "il file " + path + " non e' un modello altimetrico leggibile (.hgt, GeoTIFF o altro raster)" +
                         gdal_words()};
  }
  if (GDALGetRasterCount(dataset.get()) < 1) return {nullptr, "il file " + path + " non contiene un raster"};
  double forward[6];
  double inverse[6];
  if (GDALGetGeoTransform(dataset.get(), forward) != CE_None || !GDALInvGeoTransform(forward, inverse)) {
    return {nullptr, "il raster " + path + " non dice dove si trova sulla Terra (manca la georeferenziazione)"};
  }
  OGRSpatialReferenceH raster_srs = GDALGetSpatialRef(dataset.get());
  if (!raster_srs) {
    return {nullptr, "il raster " + path + " non dice il suo sistema di riferimento"};
  }
  // Both systems take x before y (longitude before latitude), as the
  // geotransform and the caller do, whatever order their authority states.
  srs_handle target(OSRClone(raster_srs));
  OSRSetAxisMappingStrategy(target.get(), OAMS_TRADITIONAL_GIS_ORDER);
  srs_handle wgs84(OSRNewSpatialReference(nullptr));
  OSRSetWellKnownGeogCS(wgs84.get(), "WGS84");
  OSRSetAxisMappingStrategy(wgs84.get(), OAMS_TRADITIONAL_GIS_ORDER);
  transform_handle to_raster(OCTNewCoordinateTransformation(wgs84.get(), target.get()));
  if (!to_raster) {
    return {nullptr, "il sistema di riferimento del raster " + path + " non si raggiunge da WGS 84" + gdal_words()};
  }
  return {std::make_unique<gdal_model>(path, std::move(dataset), std::move(to_raster), inverse), {}};
}

}  // namespace scenario::tool::import
