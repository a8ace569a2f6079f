#include "tool/import/definitions_writer.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "model/ansi_text.h"
#include "tool/import/names.h"

namespace scenario::tool::import {
namespace {

std::string pad(long long value, size_t width) {
  std::string s = std::to_string(value);
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

int32_t round50(double m) { return static_cast<int32_t>(std::lround(m / 50.0)) * 50; }

// A speed as the definitions hold it: the nearest multiple of 5 km/h.
int speed_step(int kmh) { return std::clamp((kmh + 2) / 5 * 5, 5, 1275); }

// The settings of the built-in stations of the same kind; a stop's third
// is 1 (kStopEndExtension).
const char* station_settings(int kind) {
  if (kind == kFirstStationKind) return "  0, 0, 0,  1,1,0,  4,1,1,    1";
  if (kind == kLastStationKind) return "  0, 0, 0,  1,1,0,  2,1,1,    0";
  return "  0, 0, 1,  0,0,0,  4,1,1,   60";
}

// Where a station's stretch begins and ends as the loader places it.
int32_t stretch_start(const written_station& s) { return s.position - s.length / 2; }
int32_t stretch_end(const written_station& s) {
  return s.position + s.length / 2 + (s.kind == kStopKind ? kStopEndExtension : 0);
}

class lines {
 public:
  void add(std::string_view line) {
    text_ += line;
    text_ += "\r\n";
  }
  std::string text() const { return text_; }

 private:
  std::string text_;
};

// A name as a definition holds it, noting the ones whose letters changed.
std::string definition_name(const std::string& utf8, written_definitions& out) {
  ansi_name n = to_ansi_name(utf8);
  if (n.transliterated) out.transliterated.push_back(utf8);
  return n.text.empty() ? std::string("SENZA NOME") : n.text;
}

void write_line(const import_content& c, written_definitions& out) {
  const track& t = *c.route;
  lines l;
  l.add("[generale]");
  l.add("- linea importata da " + definition_name(c.source, out) + " (dati OpenStreetMap ODbL)");
  l.add("lunghezza percorso,    " + std::to_string(out.route_length));
  // The kilometre at the start of the route from the posts along it: the
  // line's kilometres rise or fall as the first and last post say.
  int32_t kilometre = 0;
  if (!t.posts.empty()) {
    double direction = 1;
    if (t.posts.size() >= 2 && t.posts.back().value < t.posts.front().value) direction = -1;
    kilometre = std::max(0, round50(t.posts.front().value - direction * t.posts.front().at));
    l.add(std::string("- chilometri dai cippi della mappa: ") + (direction > 0 ? "crescenti" : "decrescenti") +
          " lungo il percorso");
  } else {
    l.add("- nessun cippo chilometrico sulla mappa: dare il chilometro iniziale qui sotto");
  }
  l.add("progressiva chilometrica uno,    0,    " + std::to_string(kilometre) + ",    0");
  l.add("progressiva chilometrica due,    0,    0,    0");
  l.add("progressiva chilometrica tre,    0,    0,    0");
  l.add("sfondo uno,    33600");
  l.add("sfondo due,    27600");
  l.add("sfondo tre,    1");
  l.add("ripetizione segnali 4 codici,    0    ,0");

  l.add("[curve]");
  for (const fitted_curve& curve : c.plan->curves) {
    if (curve.length <= 0 || curve.start < 0 || curve.start >= out.route_length) continue;
    l.add(std::string("curva") + (curve.left ? "s" : "d") + std::to_string(std::clamp(curve.sharpness, 1, 6)) +
          ",  " + std::to_string(curve.start) + " , " + std::to_string(curve.length) + " ");
  }

  l.add("[pendenze]");
  l.add("- altitudine iniziale " + definition_name(c.first_name, out) + " " +
        std::to_string(std::lround(c.profile->start_altitude)) + " m. slm (" + c.profile_source + ")");
  for (const fitted_gradient& g : c.profile->gradients) {
    if (g.start < 0 || g.start >= out.route_length) continue;
    l.add("pendenza,  " + std::to_string(g.start) + ",  " + std::to_string(g.per_mille) + " ");
  }

  l.add("[montagne]");
  l.add("- tipo 11 per ogni galleria: cambiarlo dove serve");
  struct board {
    int32_t position;
    std::string text;
  };
  std::vector<board> boards;
  int32_t last_end = -1;
  for (const track_stretch& tunnel : t.tunnels) {
    int32_t start = std::max<int32_t>(0, round50(tunnel.start));
    const int32_t end = std::min(out.route_length, std::max(round50(tunnel.end), start + 50));
    start = std::max(start, last_end);
    if (end <= start) continue;
    l.add("montagna,   " + std::to_string(start) + ",  " + std::to_string(end) + ",  " + std::to_string(kTunnelType));
    ++out.tunnels;
    last_end = end;
    if (!tunnel.name.empty() && start >= 50) {
      boards.push_back({start - 50, "(" + definition_name(tunnel.name, out) + ")(" +
                                        std::to_string(std::lround(tunnel.end - tunnel.start)) + " m. )"});
    }
  }

  l.add("[cartelli]");
  // One board where the speed changes, the same speed for every rank.
  int32_t last_board = -50;
  for (const speed_change& s : t.speeds) {
    const int32_t at = std::max(50, round50(s.at));
    if (at <= last_board || at >= out.route_length) continue;
    const std::string v = std::to_string(speed_step(s.kmh));
    l.add("indicatori_vmax,  " + std::to_string(at) + ",  " + v + ",  " + v + ",  " + v + ",  0,  ,  ,  ,  0");
    last_board = at;
  }

  l.add("[indicazioni]");
  // Boards and stations share the simulator's table of texts.
  const size_t most_boards = std::min(kMostBoards, kMostTexts - std::min(kMostTexts, out.stations.size()));
  for (size_t i = 0; i < boards.size(); ++i) {
    if (i == most_boards) {
      out.skipped.push_back(std::to_string(boards.size() - most_boards) +
                            " cartelli con il nome di una galleria: con " + std::to_string(out.stations.size()) +
                            " stazioni la tabella dei testi ne tiene al piu' " + std::to_string(most_boards));
      break;
    }
    l.add("cartello_indicatore,  " + std::to_string(boards[i].position) + ",   " + boards[i].text);
  }
  l.add("[fine]");
  out.line = l.text();
}

void place_stations(const import_content& c, written_definitions& out) {
  const track& t = *c.route;
  const int32_t last_position = (out.route_length - 100) / 50 * 50;
  out.stations.push_back({definition_name(c.first_name, out), 0, kFirstStationKind, kFirstStationLength});
  const written_station last{definition_name(c.last_name, out), last_position, kLastStationKind, kLastStationLength};
  const std::string first_folded = fold_name(c.first_name), last_folded = fold_name(c.last_name);
  std::vector<std::string> over_the_table;  // stops after the table of texts is full
  size_t too_close = 0;
  for (const track_stop& s : t.stops) {
    const std::string folded = fold_name(s.name);
    if (folded == first_folded || folded == last_folded) continue;
    // The last station needs its own entry.
    if (out.stations.size() + 1 >= kMostTexts) {
      over_the_table.push_back(s.name);
      continue;
    }
    const written_station stop{"", round50(s.at), kStopKind, kStopLength};
    const written_station& before = out.stations.back();
    const bool after_before = stretch_start(stop) - stretch_end(before) >= kStationGap;
    const bool before_last = stretch_start(last) - stretch_end(stop) >= kStationGap;
    if (!after_before || !before_last) {
      if (++too_close <= kMostToldStops) {
        out.skipped.push_back("fermata " + s.name + " a " + std::to_string(stop.position) + " m: troppo vicina a " +
                              (after_before ? ansi_to_utf8(last.name) : ansi_to_utf8(before.name)) + " (servono " +
                              std::to_string(kStationGap) + " m tra due stazioni)");
      }
      continue;
    }
    out.stations.push_back({definition_name(s.name, out), stop.position, stop.kind, stop.length});
  }
  if (too_close > kMostToldStops) {
    out.skipped.push_back("altre " + std::to_string(too_close - kMostToldStops) +
                          " fermate troppo vicine alla stazione prima o dopo (servono " +
                          std::to_string(kStationGap) + " m tra due stazioni)");
  }
  out.stations.push_back(last);
  if (!over_the_table.empty()) {
    out.skipped.push_back(std::to_string(over_the_table.size()) + " fermate dopo " +
                          ansi_to_utf8(out.stations[out.stations.size() - 2].name) + " (da " +
                          over_the_table.front() + " a " + over_the_table.back() +
                          "): la tabella dei testi tiene al piu' " + std::to_string(kMostTexts) + " stazioni");
  }
}

std::string station_line(const written_station& s) {
  return "stazione," + pad(s.position, 8) + "," + pad(s.kind, 3) + "," + pad(s.length, 5) + "," +
         station_settings(s.kind) +
         ",   0, 0, 0, " + s.name;
}

void write_train(const import_content& c, written_definitions& out) {
  const track& t = *c.route;
  lines l;
  l.add("[generale]");
  l.add("- treno da completare: come il treno di esempio");
  l.add("numero vetture,    3");
  l.add("percentuale massa frenata,    120");
  l.add("sabbia,    300");
  l.add("orologio,    8               0            0 ");
  l.add("[aderenze]");
  l.add("aderenza,       0,    90");
  l.add("[vel_limite]");
  if (t.speeds.empty()) {
    l.add("- nessuna maxspeed sulla mappa: 80 km/h da completare");
    l.add("velocita,       0,    " + std::to_string(kDefaultSpeed));
  } else {
    l.add("- da maxspeed della mappa");
    int32_t last_at = -1;
    for (const speed_change& s : t.speeds) {
      const int32_t at = s.at == 0 ? 0 : std::max(50, round50(s.at));
      if (at <= last_at || at >= out.route_length) continue;
      l.add("velocita," + pad(at, 8) + "," + pad(speed_step(s.kmh), 6));
      last_at = at;
    }
  }
  l.add("[stazioni]");
  l.add("- da completare: tipo e lunghezza (qui 12/400 m la prima 22/200 m le fermate 4/600 m l'ultima)");
  l.add("- e orari (ora minuti secondi a 0: nessun orario)");
  for (const written_station& s : out.stations) l.add(station_line(s));
  l.add("[rallentamenti]");
  l.add("[segnali]");
  l.add("- la mappa non dice dove stanno: da aggiungere");
  l.add("[codici]");
  l.add("[fine]");
  out.train = l.text();
}

}  // namespace

written_definitions write_definitions(const import_content& c) {
  written_definitions out;
  out.route_length = static_cast<int32_t>(std::lround(c.route->length()));
  place_stations(c, out);
  write_line(c, out);
  write_train(c, out);
  return out;
}

}  // namespace scenario::tool::import
