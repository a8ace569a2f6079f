#include "bench/synthetic_definitions.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "model/file_names.h"

// The grid: block k holds positions 1000k .. 1000k + 999, that is cells
// 20k .. 20k + 19. Within a block, by cell offset:
//    1..5  station stop cell (stations only in blocks no slowdown uses)
//      10  signal (every block from 1 on); its code point from rule A or B5 in 9
//      14  code point record
//      15  name board, 50 m before the start of a tunnel
// A slowdown whose warning board stands in cell 0 of block b starts in cell 4
// of block b + 1 and, being 1000n - 100 m long, ends in cell 2 of block
// b + 1 + n. Its other cells: approach cells 16..19 of block b - 1; the code
// points before the start in 19, 13 and 6 of block b; those inside every 8
// cells from the start, which never meets offsets 10, 14 or 15; the one
// before the first signal after the end in cell 9 of the end block. Blocks
// b - 1 .. b + 1 + n are therefore kept free of stations.
namespace scenario::bench {
namespace {

constexpr int32_t kBlock = 1000;
constexpr int kTunnels = 80;
constexpr int kStations = 20;
// Stations and board texts share item entries 1..80; the entry after the
// last station must still lie below the last board text.
constexpr int kBoards = 78 - kStations;

class text {
 public:
  template <typename... T>
  void line(const T&... parts) {
    (out_ << ... << parts);
    out_ << "\r\n";
  }
  std::string str() const { return out_.str(); }

 private:
  std::ostringstream out_;
};

std::string two_digits(int32_t v) { return (v < 10 ? "0" : "") + std::to_string(v); }

struct slowdown {
  int32_t board_block;  // b
  int32_t blocks;       // n
  int32_t speed;
};

struct layout {
  int32_t length = 0;
  int32_t blocks = 0;  // whole blocks inside the route
  std::vector<slowdown> slowdowns;
  std::vector<int32_t> station_blocks;
  std::vector<int32_t> tunnel_blocks;
};

layout plan_layout(int32_t length) {
  layout g;
  g.length = length;
  g.blocks = length / kBlock;
  const int32_t n = g.blocks;

  std::vector<bool> taken(static_cast<size_t>(n), false);
  const int32_t count = std::max(4, n / 25);
  static constexpr std::array<int32_t, 5> kSpeeds = {30, 50, 120, 60, 80};  // one in five fast
  for (int32_t i = 0; i < count; ++i) {
    slowdown s{3 + i * (n - 12) / count, 1 + i % 3, kSpeeds[static_cast<size_t>(i % 5)]};
    for (int32_t k = s.board_block - 1; k <= s.board_block + 1 + s.blocks; ++k) taken[static_cast<size_t>(k)] = true;
    g.slowdowns.push_back(s);
  }

  g.station_blocks.push_back(0);
  for (int32_t i = 1; i < kStations; ++i) {
    int32_t k = std::max(i * (n - 3) / (kStations - 1), g.station_blocks.back() + 3);
    while (k < n - 2 && taken[static_cast<size_t>(k)]) ++k;
    if (k >= n - 2) throw std::invalid_argument("route too short for the synthetic layout");
    g.station_blocks.push_back(k);
  }

  for (int32_t j = 0; j < kTunnels; ++j) g.tunnel_blocks.push_back(1 + j * (n - 3) / kTunnels);
  return g;
}

std::string line_definition(const layout& g) {
  text t;
  t.line("[generale]");
  t.line("lunghezza percorso,    ", g.length);
  t.line("progressiva chilometrica uno,    0,    73350,    1");
  t.line("progressiva chilometrica due,    0,    0,    0");
  t.line("progressiva chilometrica tre,    0,    0,    0");
  t.line("sfondo uno,    33600");
  t.line("sfondo due,    27600");
  t.line("sfondo tre,    1");
  t.line("ripetizione segnali 4 codici,    0    ,0");

  // A curve every 400 m, 50 to 300 m long; every digit on both sides.
  t.line("[curve]");
  for (int32_t k = 0;; ++k) {
    const int32_t start = 400 * k + 150;
    const int32_t length = 50 * (1 + (k * 7) % 6);
    if (start + length > g.length - kBlock) break;
    t.line("curva", (k / 6) % 2 == 0 ? "d" : "s", k % 6 + 1, ",  ", start, " , ", length, " ");
  }

  t.line("[pendenze]");
  t.line("- altitudine iniziale 352 m. slm");
  t.line("pendenza,  0,   0");
  for (int32_t k = 1; 350 * k <= g.length - kBlock; ++k) {
    t.line("pendenza,  ", 350 * k, ",  ", (k * 37) % 61 - 30, " ");
  }

  // Tunnels from 50 m past a block's board cell; long enough to matter,
  // short enough to end before the next one by more than 150 m.
  static constexpr std::array<int32_t, 4> kTypes = {11, 12, 1, 2};  // marked and unmarked
  const int32_t spacing = (g.blocks - 3) / kTunnels;
  const int32_t longest = std::clamp(spacing * kBlock - 300, 100, 3000);
  std::vector<int32_t> tunnel_lengths;
  t.line("[montagne]");
  for (int32_t j = 0; j < kTunnels; ++j) {
    const int32_t start = kBlock * g.tunnel_blocks[static_cast<size_t>(j)] + 750;
    const int32_t length = 100 + 50 * ((j * 7) % ((longest - 100) / 50 + 1));
    tunnel_lengths.push_back(length);
    t.line("montagna,   ", start, ",  ", start + length, ",  ", kTypes[static_cast<size_t>(j % 4)]);
  }

  t.line("[cartelli]");
  t.line("indicatori_vmax,  300,  75,  80,  80,  0,  ,  ,  ,  0");

  // Boards before kBoards of the tunnels, spread over all of them.
  t.line("[indicazioni]");
  for (int32_t j = 0; j < kTunnels; ++j) {
    if ((j + 1) * kBoards / kTunnels == j * kBoards / kTunnels) continue;
    const int32_t position = kBlock * g.tunnel_blocks[static_cast<size_t>(j)] + 700;
    t.line("cartello_indicatore,  ", position, ",   (GALLERIA ", j + 1, ")(", tunnel_lengths[static_cast<size_t>(j)],
           " m. )");
  }
  t.line("[fine]");
  return t.str();
}

struct station_kind {
  int32_t kind;
  int32_t length;
  int32_t s3;  // a stretch 50 m longer
};

std::string train_definition(const layout& g) {
  text t;
  t.line("[generale]");
  t.line("numero vetture,    5");
  t.line("percentuale massa frenata,    120");
  t.line("sabbia,    300");
  t.line("orologio,    6               0            0 ");

  t.line("[aderenze]");
  t.line("aderenza,       0,    95");
  for (int32_t k = 1; 7000 * k + 550 <= g.length - kBlock; ++k) {
    t.line("aderenza,    ", 7000 * k + 550, ",    ", 70 + (k * 13) % 31);
  }

  static constexpr std::array<int32_t, 5> kLimits = {100, 80, 120, 140, 90};
  t.line("[vel_limite]");
  for (int32_t k = 0; 40000 * k + 250 <= g.length - kBlock; ++k) {
    t.line("velocita,    ", k == 0 ? 0 : 40000 * k + 250, ",    ", kLimits[static_cast<size_t>(k % 5)]);
  }

  // Stop cells 20k + 2 .. 20k + 5; kinds 27 and 28 have none.
  static constexpr std::array<station_kind, 10> kKinds = {{
      {22, 300, 1}, {28, 200, 0}, {12, 400, 0}, {27, 200, 0}, {4, 600, 0},
      {5, 300, 0}, {7, 200, 0}, {22, 200, 1}, {6, 400, 0}, {8, 300, 0},
  }};
  t.line("[stazioni]");
  for (size_t i = 0; i < g.station_blocks.size(); ++i) {
    const int32_t position = kBlock * g.station_blocks[i];
    const station_kind k = i == 0 ? station_kind{12, 400, 0} : kKinds[(i - 1) % kKinds.size()];
    const bool timed = k.kind != 27;
    const int32_t seconds = timed ? 6 * 3600 + 36 * g.station_blocks[i] + 60 * static_cast<int32_t>(i) : 0;
    t.line("stazione,    ", position, ", ", k.kind, ",  ", k.length, ",  ", i % 3 == 1 ? 1 : 0, ", ",
           k.length >= 600 ? 1 : 0, ", ", k.s3, ",  1,1,0,  4,1,1,    ", i % 2 == 0 ? 60 : 30, ",   ", seconds / 3600,
           ",", (seconds / 60) % 60, ", ", seconds % 60, ", STAZIONE ", two_digits(static_cast<int32_t>(i) + 1));
  }

  t.line("[rallentamenti]");
  for (size_t i = 0; i < g.slowdowns.size(); ++i) {
    const slowdown& s = g.slowdowns[i];
    const int32_t x = kBlock * (s.board_block + 1) + 150;
    t.line("rallentamento,    ", x, ",    ", s.speed, ",  ", kBlock * s.blocks - 100, ", ", i % 3 == 1 ? 1 : 0, ",  ",
           i % 2, ",  ", i % 4 == 2 ? 60 : 0);
  }

  t.line("[segnali]");
  for (int32_t k = 1; k < g.blocks; ++k) {
    const int32_t sx = 1 + k % 2;
    const int32_t tempo = sx == 2 ? std::array<int32_t, 3>{230, 50, 0}[static_cast<size_t>(k % 3)] : 0;
    t.line("segnale,    ", kBlock * k + 450, ",   ", sx, ", ", 2 + k % 4, ", ", 1 + k % 3, ",  ", k % 2,
           ", 0,    0,  0,0,0, ", tempo);
  }

  // Code points and code cuts at cell 14 of some blocks.
  static constexpr std::array<int32_t, 3> kCodes = {0, 75, 270};
  t.line("[codici]");
  const int32_t codes = 6 + g.blocks / 50;
  for (int32_t i = 0; i < codes; ++i) {
    const int32_t k = 2 + i * (g.blocks - 4) / codes;
    t.line("abbattimento,    ", kBlock * k + 700, ",    ", kCodes[static_cast<size_t>(i % 3)]);
  }
  t.line("[fine]");
  return t.str();
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

synthetic_texts synthetic_definitions(int32_t route_length) {
  if (route_length < kMinSyntheticLength || route_length > kMaxSyntheticLength) {
    throw std::invalid_argument("route length out of " + std::to_string(kMinSyntheticLength) + ".." +
                                std::to_string(kMaxSyntheticLength));
  }
  const layout g = plan_layout(route_length);
  return {line_definition(g), train_definition(g)};
}

void write_synthetic_definitions(const std::string& directory, const std::string& route, const std::string& train,
                                 int32_t route_length) {
  const synthetic_texts d = synthetic_definitions(route_length);
  write_file(path_in(directory, line_definition_name(route)), d.line);
  write_file(path_in(directory, train_definition_name(route, train)), d.train);
}

}  // namespace scenario::bench
