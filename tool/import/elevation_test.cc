// Elevation models read from files the tests write: an ".hgt" tile and
// GeoTIFFs of planes, whose altitude anywhere is known exactly (bilinear
// interpolation reproduces a plane), in a projected and a geographic system.
#include "tool/import/elevation.h"

#include <arpa/inet.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <ogr_srs_api.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/file_error.h"
#include "model/test_files.h"

namespace scenario::tool::import {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;

constexpr int kSide = 1201;  // a 3" tile

// A tile with the south-west corner (lat, lon) holding the plane
// z = -200 + 1000 (lon - west) + 500 (lat - south), whole metres on the grid,
// negative in its south-west so the sign of the big-endian words counts;
// the post at `void_row`, `void_col` holds no value.
std::string hgt_plane(int void_row, int void_col) {
  std::string bytes;
  bytes.reserve(kSide * kSide * 2);
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) {
      const double lon = col / 1200.0;
      const double lat = (kSide - 1 - row) / 1200.0;
      auto z = static_cast<int16_t>(std::lround(-200 + 1000 * lon + 500 * lat));
      if (row == void_row && col == void_col) z = -32768;
      const auto u = static_cast<uint16_t>(z);
      bytes.push_back(static_cast<char>(u >> 8));
      bytes.push_back(static_cast<char>(u & 0xff));
    }
  }
  return bytes;
}

double plane(double lon, double lat) { return -200 + 1000 * (lon - std::floor(lon)) + 500 * (lat - std::floor(lat)); }

class HgtTiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new temp_dir;
    // Two tiles side by side (7 and 8 east) and one to the north of the first.
    const std::string tile = hgt_plane(600, 600);
    std::filesystem::create_directory(dir_->path() / "tiles");
    write_file(dir_->file("tiles/N43E007.hgt"), tile);
    write_file(dir_->file("tiles/n43e008.HGT"), hgt_plane(-1, -1));
    write_file(dir_->file("tiles/N44E007.hgt"), hgt_plane(-1, -1));
    write_file(dir_->file("tiles/readme.txt"), "not a tile");
  }
  static void TearDownTestSuite() { delete dir_; }
  static temp_dir* dir_;
};
temp_dir* HgtTiles::dir_ = nullptr;

TEST_F(HgtTiles, FolderAndFileGiveThePlaneBetweenPostsAndAcrossTiles) {
  const auto folder = open_elevation_model(dir_->file("tiles"));
  ASSERT_TRUE(folder.model) << folder.error;
  const auto file = open_elevation_model(dir_->file("tiles/N43E007.hgt"));
  ASSERT_TRUE(file.model) << file.error;
  struct place {
    double lon, lat;
  };
  // Between posts, on a corner post, on the tiles' shared edges.
  for (const place p : {place{7.4321, 43.7654}, place{7.0, 43.0}, place{7.999, 43.001}, place{7.25, 43.5}}) {
    SCOPED_TRACE(::testing::Message() << p.lon << " " << p.lat);
    ASSERT_TRUE(folder.model->altitude(p.lon, p.lat));
    EXPECT_NEAR(*folder.model->altitude(p.lon, p.lat), plane(p.lon, p.lat), 0.51);
    EXPECT_NEAR(*file.model->altitude(p.lon, p.lat), plane(p.lon, p.lat), 0.51);
  }
  // On a shared edge the tile starting there answers; a file alone answers
  // for its own edges (the planes of these tiles differ there, real ones do not).
  EXPECT_NEAR(*folder.model->altitude(8.0, 43.5), 50, 0.51);
  EXPECT_NEAR(*file.model->altitude(8.0, 43.5), 1050, 0.51);
  EXPECT_NEAR(*file.model->altitude(7.3, 44.0), 600, 0.51);
  EXPECT_NEAR(*folder.model->altitude(7.3, 44.0), 100, 0.51);
  EXPECT_NEAR(*folder.model->altitude(8.1, 43.5), plane(8.1, 43.5), 0.51);
  EXPECT_NEAR(*folder.model->altitude(7.3, 44.2), plane(7.3, 44.2), 0.51);
  // The single file covers its own degree only; the folder has no N42 tile.
  EXPECT_FALSE(file.model->altitude(8.1, 43.5));
  EXPECT_FALSE(folder.model->altitude(7.5, 42.9));
  EXPECT_FALSE(folder.model->altitude(NAN, 43.5));
}

TEST_F(HgtTiles, AVoidIsLeftOutAndOnlyAPlaceOnItAloneHasNoAltitude) {
  const auto m = open_elevation_model(dir_->file("tiles/N43E007.hgt"));
  ASSERT_TRUE(m.model) << m.error;
  // The void post is row 600, column 600: (7.5, 43.5).
  EXPECT_FALSE(m.model->altitude(7.5, 43.5));
  const double lon = 7.5 + 0.3 / 1200;
  const double lat = 43.5 + 0.2 / 1200;
  ASSERT_TRUE(m.model->altitude(lon, lat));
  EXPECT_NEAR(*m.model->altitude(lon, lat), plane(lon, lat), 0.51);
}

// --- GeoTIFFs written with GDAL -------------------------------------------

// Writes a Float32 GeoTIFF of `width` x `height` pixels in `epsg` whose
// pixel (col, row) covers x0 + col*dx .. and y0 - row*dy ..; its value is
// `z(x, y)` at the pixel's centre, or `nodata` where `z` gives NaN.
template <typename Z>
void write_geotiff(const std::string& path, int epsg, double x0, double y0, double dx, double dy, int width,
                   int height, Z z, double nodata = -9999) {
  GDALAllRegister();
  GDALDatasetH d = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), width, height, 1, GDT_Float32, nullptr);
  ASSERT_TRUE(d);
  double transform[6] = {x0, dx, 0, y0, 0, -dy};
  GDALSetGeoTransform(d, transform);
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, epsg);
  GDALSetSpatialRef(d, srs);
  OSRDestroySpatialReference(srs);
  std::vector<float> values;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const double v = z(x0 + (col + 0.5) * dx, y0 - (row + 0.5) * dy);
      values.push_back(static_cast<float>(std::isnan(v) ? nodata : v));
    }
  }
  GDALRasterBandH band = GDALGetRasterBand(d, 1);
  GDALSetRasterNoDataValue(band, nodata);
  ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, width, height, values.data(), width, height, GDT_Float32, 0, 0),
            CE_None);
  GDALClose(d);
}

// Degrees of a place given in UTM zone 32 north.
std::pair<double, double> lon_lat_of_utm32(double east, double north) {
  OGRSpatialReferenceH utm = OSRNewSpatialReference(nullptr);
  OGRSpatialReferenceH geo = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(utm, 32632);
  OSRImportFromEPSG(geo, 4326);  // latitude first, as EPSG states it
  OGRCoordinateTransformationH t = OCTNewCoordinateTransformation(utm, geo);
  double x = east;
  double y = north;
  OCTTransform(t, 1, &x, &y, nullptr);
  OCTDestroyCoordinateTransformation(t);
  OSRDestroySpatialReference(utm);
  OSRDestroySpatialReference(geo);
  return {y, x};
}

TEST(GdalRaster, PlanesInAProjectedAndAGeographicSystemAreSampledWhereThePlaceIs) {
  temp_dir dir;
  // UTM 32N around Monaco, 30 m pixels: z = 100 + 0.01 (E - 370000) + 0.02 (N - 4840000).
  const auto utm_plane = [](double e, double n) { return 100 + 0.01 * (e - 370000) + 0.02 * (n - 4840000); };
  write_geotiff(dir.file("utm.tif"), 32632, 370000, 4843000, 30, 30, 100, 100, utm_plane);
  // Degrees, 0.001 degree pixels: z = 300 + 2000 (lon - 7.4) + 1000 (lat - 43.7).
  const auto geo_plane = [](double lon, double lat) { return 300 + 2000 * (lon - 7.4) + 1000 * (lat - 43.7); };
  write_geotiff(dir.file("geo.tif"), 4326, 7.4, 43.8, 0.001, 0.001, 100, 100, geo_plane);

  const auto utm = open_elevation_model(dir.file("utm.tif"));
  ASSERT_TRUE(utm.model) << utm.error;
  for (const auto& [e, n] : {std::pair{371234.5, 4841777.0}, std::pair{370020.0, 4840020.0}, std::pair{372970.0, 4842980.0}}) {
    const auto [lon, lat] = lon_lat_of_utm32(e, n);
    ASSERT_TRUE(utm.model->altitude(lon, lat)) << e << " " << n;
    EXPECT_NEAR(*utm.model->altitude(lon, lat), utm_plane(e, n), 0.01) << e << " " << n;
  }
  const auto [far_lon, far_lat] = lon_lat_of_utm32(373100, 4841000);
  EXPECT_FALSE(utm.model->altitude(far_lon, far_lat)) << "beyond the raster's east edge";

  const auto geo = open_elevation_model(dir.file("geo.tif"));
  ASSERT_TRUE(geo.model) << geo.error;
  for (const auto& [lon, lat] : {std::pair{7.4123, 43.7456}, std::pair{7.4006, 43.7994}, std::pair{7.4987, 43.7011}}) {
    ASSERT_TRUE(geo.model->altitude(lon, lat)) << lon << " " << lat;
    EXPECT_NEAR(*geo.model->altitude(lon, lat), geo_plane(lon, lat), 0.01) << lon << " " << lat;
  }
  EXPECT_FALSE(geo.model->altitude(7.45, 43.81));
  EXPECT_FALSE(geo.model->altitude(43.75, 7.45)) << "latitude and longitude swapped";
}

TEST(GdalRaster, NoDataHoldsNoAltitude) {
  temp_dir dir;
  // The west half holds no value.
  write_geotiff(dir.file("half.tif"), 4326, 7.0, 44.0, 0.01, 0.01, 20, 20,
                [](double lon, double) { return lon < 7.1 ? NAN : 500.0; });
  const auto m = open_elevation_model(dir.file("half.tif"));
  ASSERT_TRUE(m.model) << m.error;
  EXPECT_FALSE(m.model->altitude(7.05, 43.9));
  ASSERT_TRUE(m.model->altitude(7.15, 43.9));
  EXPECT_NEAR(*m.model->altitude(7.15, 43.9), 500, 1e-6);
}

// --- inputs refused ---------------------------------------------------------

TEST(ElevationModel, BadInputIsRefusedInItalianNamingTheInput) {
  temp_dir dir;
  std::filesystem::create_directory(dir.path() / "empty");
  write_file(dir.file("N43E007.hgt"), std::string(1000, '\0'));
  write_file(dir.file("tile.hgt"), std::string(kSide * kSide * 2, '\0'));
  std::filesystem::create_directory(dir.path() / "mixed");
  write_file(dir.file("mixed/N43E007.hgt"), std::string(kSide * kSide * 2, '\0'));
  write_file(dir.file("mixed/N43E008.hgt"), std::string(kSide * kSide * 2 - 2, '\0'));
  write_file(dir.file("text.tif"), "this is not a raster\n");
  write_geotiff(dir.file("whole.tif"), 4326, 7.0, 44.0, 0.01, 0.01, 20, 20, [](double, double) { return 1.0; });
  std::string header_cut = read_file(dir.file("whole.tif")).substr(0, 100);
  write_file(dir.file("cut.tif"), header_cut);
  struct refused {
    std::string input;
    std::string words;
  } cases[] = {
      {dir.file("missing.tif"), "non esiste"},
      {dir.file("N43E007.hgt"), "non e' una piastrella .hgt: ha 1000 byte"},
      {dir.file("tile.hgt"), "non dice l'angolo sud-ovest"},
      {dir.file("empty"), "non contiene piastrelle .hgt"},
      {dir.file("mixed"), "N43E008.hgt non e' una piastrella .hgt"},
      {dir.file("text.tif"), "non e' un modello altimetrico leggibile"},
      {dir.file("cut.tif"), "non e' un modello altimetrico leggibile"},
  };
  for (const refused& c : cases) {
    const auto opened = open_elevation_model(c.input);
    EXPECT_FALSE(opened.model) << c.input;
    EXPECT_NE(opened.error.find(c.words), std::string::npos) << opened.error;
    EXPECT_NE(opened.error.find(std::filesystem::path(c.input).filename().string()), std::string::npos)
        << opened.error;
  }
}

// A listening socket on the loopback: whether anyone knocked.
class loopback_listener {
 public:
  loopback_listener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 || listen(fd_, 8) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
      ADD_FAILURE() << "no loopback socket";
      return;
    }
    port_ = ntohs(a.sin_port);
  }
  ~loopback_listener() {
    if (fd_ >= 0) close(fd_);
  }
  loopback_listener(const loopback_listener&) = delete;
  loopback_listener& operator=(const loopback_listener&) = delete;

  std::string url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
  }
  bool knocked() const {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 0) > 0;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A virtual raster whose one band reads its bytes from `source`.
std::string vrt_reading(const std::string& source) {
  return "<VRTDataset rasterXSize=\"4\" rasterYSize=\"4\">\n"
         "  <SRS>EPSG:4326</SRS>\n"
         "  <GeoTransform>7.0, 0.01, 0, 44.0, 0, -0.01</GeoTransform>\n"
         "  <VRTRasterBand dataType=\"Byte\" band=\"1\" subClass=\"VRTRawRasterBand\">\n"
         "    <SourceFilename relativetoVRT=\"0\">" +
         source +
         "</SourceFilename>\n"
         "    <ImageOffset>0</ImageOffset><PixelOffset>1</PixelOffset><LineOffset>4</LineOffset>\n"
         "  </VRTRasterBand>\n"
         "</VRTDataset>\n";
}

// An elevation model is a GeoTIFF or .hgt tiles and nothing else: a file
// that points to other files (a virtual raster, whatever its name) or to
// the network is refused, and the network is never reached.
TEST(ElevationModel, NothingButTheGivenFileIsRead) {
  temp_dir dir;
  loopback_listener server;
  write_file(dir.file("secret.txt"), "root:x:0:0:root:/root:/bin/bash\nline two of a private file\n");
  write_geotiff(dir.file("real.tif"), 4326, 7.0, 44.0, 0.01, 0.01, 20, 20, [](double, double) { return 1.0; });
  write_file(dir.file("passwd.vrt"), vrt_reading(dir.file("secret.txt")));
  write_file(dir.file("passwd.tif"), vrt_reading(dir.file("secret.txt")));
  write_file(dir.file("remote.tif"), vrt_reading("/vsicurl/" + server.url("secret.tif")));
  const std::string cases[] = {
      dir.file("passwd.vrt"),
      dir.file("passwd.tif"),
      dir.file("remote.tif"),
      "/vsicurl/" + server.url("real.tif"),
      "/vsicurl/" + server.url(""),
      "GTIFF_DIR:1:/vsicurl/" + server.url("real.tif"),
      "/vsisubfile/0_100," + dir.file("real.tif"),
  };
  for (const std::string& input : cases) {
    const auto opened = open_elevation_model(input);
    EXPECT_FALSE(opened.model) << input;
    EXPECT_NE(opened.error.find(input), std::string::npos) << opened.error;
  }
  EXPECT_FALSE(server.knocked()) << "an elevation model reached the network";
  EXPECT_TRUE(open_elevation_model(dir.file("real.tif")).model);
}

TEST(ElevationModel, AGeoTiffWhoseDataIsCutShortIsAnErrorNotANumber) {
  temp_dir dir;
  write_geotiff(dir.file("whole.tif"), 4326, 7.0, 44.0, 0.01, 0.01, 200, 200, [](double, double) { return 7.0; });
  const std::string whole = read_file(dir.file("whole.tif"));
  write_file(dir.file("cut.tif"), whole.substr(0, whole.size() / 2));
  const auto m = open_elevation_model(dir.file("cut.tif"));
  if (!m.model) {
    EXPECT_NE(m.error.find("cut.tif"), std::string::npos) << m.error;
    return;
  }
  // Somewhere in the lost half reading fails: an error naming the file.
  bool failed = false;
  for (double lat = 43.999; lat > 42.0 && !failed; lat -= 0.05) {
    try {
      const auto a = m.model->altitude(7.5, lat);
      if (a) {
        EXPECT_EQ(*a, 7.0) << lat;
      }
    } catch (const file_error& e) {
      failed = true;
      EXPECT_NE(std::string(e.what()).find("cut.tif"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("danneggiato"), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(failed);
}

}  // namespace
}  // namespace scenario::tool::import
