// A tile's rows run from north to south and its columns from west to east;
// the first row lies on the tile's north edge and the last on its south
// edge, so neighbouring tiles share their edges. Tiles are read when a
// place first falls in them: a folder may hold many more than a line needs.
#include "tool/import/hgt_tiles.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "model/file_error.h"

namespace scenario::tool::import {
namespace {

constexpr int16_t kNoValue = -32768;
constexpr std::uintmax_t kSide1 = 3601;  // 1 second of arc
constexpr std::uintmax_t kSide3 = 1201;  // 3 seconds of arc

// The south-west corner of a tile (whole degrees) from its file name.
std::optional<std::pair<int, int>> tile_corner(const std::filesystem::path& file) {
  const std::string name = file.stem().string();
  if (name.size() != 7) return std::nullopt;
  const char ns = static_cast<char>(name[0] & ~0x20);
  const char ew = static_cast<char>(name[3] & ~0x20);
  if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W')) return std::nullopt;
  int lat = 0;
  int lon = 0;
  for (int i = 1; i < 7; ++i) {
    if (i == 3) continue;
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    int& v = i < 3 ? lat : lon;
    v = v * 10 + (name[i] - '0');
  }
  if (lat > 90 || lon > 180) return std::nullopt;
  return std::pair{ns == 'S' ? -lat : lat, ew == 'W' ? -lon : lon};
}

bool is_hgt(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".hgt";
}

struct tile {
  std::filesystem::path file;
  int side = 0;                         // samples per row and per column
  mutable std::vector<int16_t> values;  // row by row; empty until first read
};

class hgt_model final : public elevation_model {
 public:
  explicit hgt_model(std::map<std::pair<int, int>, tile> tiles) : tiles_(std::move(tiles)) {}

  std::optional<double> altitude(double lon, double lat) const override {
    if (!std::isfinite(lon) || !std::isfinite(lat)) return std::nullopt;
    const double south = std::floor(lat);
    const double west = std::floor(lon);
    if (auto a = altitude_in(west, south, lon, lat)) return a;
    // On a tile's edge the neighbour below or to the left holds it too.
    if (lat == south) {
      if (auto a = altitude_in(west, south - 1, lon, lat)) return a;
    }
    if (lon == west) {
      if (auto a = altitude_in(west - 1, south, lon, lat)) return a;
      if (lat == south) return altitude_in(west - 1, south - 1, lon, lat);
    }
    return std::nullopt;
  }

 private:
  std::optional<double> altitude_in(double west, double south, double lon, double lat) const {
    if (south < -90 || south > 89 || west < -180 || west > 179) return std::nullopt;
    const auto found = tiles_.find({static_cast<int>(south), static_cast<int>(west)});
    if (found == tiles_.end()) return std::nullopt;
    const tile& t = found->second;
    const std::vector<int16_t>& v = values(t);
    const int last = t.side - 1;
    const double col = (lon - west) * last;
    const double row = (south + 1 - lat) * last;
    if (col < 0 || col > last || row < 0 || row > last) return std::nullopt;
    const int c0 = std::min(static_cast<int>(col), last - 1);
    const int r0 = std::min(static_cast<int>(row), last - 1);
    const double fc = col - c0;
    const double fr = row - r0;
    // Bilinear over the corners that hold a value, their weights made whole
    // again, so a void beside the place does not lose the place.
    double sum = 0;
    double weight = 0;
    for (int dr = 0; dr < 2; ++dr) {
      for (int dc = 0; dc < 2; ++dc) {
        const int16_t h = v[static_cast<size_t>(r0 + dr) * t.side + (c0 + dc)];
        const double w = (dr ? fr : 1 - fr) * (dc ? fc : 1 - fc);
        if (h == kNoValue || w == 0) continue;
        sum += w * h;
        weight += w;
      }
    }
    if (weight == 0) return std::nullopt;
    return sum / weight;
  }

  static const std::vector<int16_t>& values(const tile& t) {
    if (!t.values.empty()) return t.values;
    const size_t count = static_cast<size_t>(t.side) * t.side;
    std::vector<unsigned char> bytes(count * 2);
    std::ifstream in(t.file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
      throw file_error("impossibile leggere la piastrella altimetrica " + t.file.string());
    }
    std::vector<int16_t> values(count);
    for (size_t i = 0; i < count; ++i) {
      values[i] = static_cast<int16_t>(static_cast<uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]));
    }
    t.values = std::move(values);
    return t.values;
  }

  std::map<std::pair<int, int>, tile> tiles_;
};

// Checks one tile's name and size; the error names the file.
std::string add_tile(const std::filesystem::path& file, std::map<std::pair<int, int>, tile>& tiles) {
  const auto corner = tile_corner(file);
  if (!corner) {
    return "il nome di " + file.string() +
           " non dice l'angolo sud-ovest della piastrella .hgt (come N43E007.hgt)";
  }
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec) return "impossibile leggere " + file.string() + ": " + ec.message();
  int side = 0;
  if (size == kSide1 * kSide1 * 2) side = static_cast<int>(kSide1);
  if (size == kSide3 * kSide3 * 2) side = static_cast<int>(kSide3);
  if (side == 0) {
    return "il file " + file.string() + " non e' una piastrella .hgt: ha " + std::to_string(size) +
           " byte, una piastrella ne ha " + std::to_string(kSide1 * kSide1 * 2) + " (1\") o " +
           std::to_string(kSide3 * kSide3 * 2) + " (3\")";
  }
  if (!tiles.emplace(*corner, tile{file, side, {}}).second) {
    return "due piastrelle .hgt per lo stesso grado in " + file.parent_path().string() + ": " +
           tiles.at(*corner).file.filename().string() + " e " + file.filename().string();
  }
  return {};
}

}  // namespace

opened_elevation open_hgt_tiles(const std::filesystem::path& path) {
  std::map<std::pair<int, int>, tile> tiles;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
      if (!is_hgt(entry.path()) || entry.is_directory()) continue;
      if (std::string error = add_tile(entry.path(), tiles); !error.empty()) return {nullptr, error};
    }
    if (ec) return {nullptr, "impossibile leggere la cartella " + path.string() + ": " + ec.message()};
    if (tiles.empty()) return {nullptr, "la cartella " + path.string() + " non contiene piastrelle .hgt"};
  } else if (std::string error = add_tile(path, tiles); !error.empty()) {
    return {nullptr, error};
  }
  return {std::make_unique<hgt_model>(std::move(tiles)), {}};
}

}  // namespace scenario::tool::import
