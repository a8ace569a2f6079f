#include "tool/serve/view_data.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/ansi_text.h"
#include "tool/map/features.h"
#include "tool/map/label_placer.h"
#include "tool/map/plan_view.h"
#include "tool/map/svg_writer.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

constexpr double kZoomStep = 0.5;
constexpr double kDeepest = 2;       // 4 pixels per metre: a station's stretch fills the view
constexpr double kWholeLine = 400;   // pixels the whole line takes at the first level
constexpr double kFar = 1e9;         // the placer's bounds: the page has no edge

// The page's sizes, in pixels: the symbols' boxes and the labels' fonts.
constexpr double kSymbolHalf = 6;
constexpr double kStationHalf = 8;
constexpr double kStationFont = 12.5;
constexpr double kSmallFont = 10.5;
constexpr double kBoardFont = 9.5;
constexpr double kKmFont = 9.5;
constexpr double kLabelReach = 24;
constexpr double kKmSpacing = 60;

double label_height(double font) { return std::ceil(font * 1.3); }

// The symbols that thin out as one zooms out, most important first;
// stations always show, stretches are lines along the track.
int symbol_rank(const std::string& kind) {
  static const char* const kOrder[] = {"avviso", "segnale", "indicatori", "cartello", "abbattimento"};
  for (int i = 0; i < 5; ++i) {
    if (kind == kOrder[i]) return i;
  }
  return -1;
}

struct label_job {
  std::string text;  // UTF-8
  const char* kind;
  double metre;
  double width, height;
  bool upright;
  double spacing;  // metres to the nearest label of its kind as important: km marks
  json where = json::array();
  std::optional<label_placer::placement> last;  // at the level before
  map_box last_offset{};
};

// How round a kilometre is: marks at whole hundreds go first.
int roundness(int64_t km) {
  for (int step : {100, 50, 10, 5}) {
    if (km % step == 0) return step;
  }
  return 1;
}

class levels {
 public:
  levels(double first, int count) : first_(first), count_(count) {}
  int count() const { return count_; }
  double scale(int level) const { return std::exp2(first_ + level * kZoomStep); }
  json describe() const { return {{"primo", first_}, {"passo", kZoomStep}, {"livelli", count_}}; }

 private:
  double first_;
  int count_;
};

levels zoom_levels(double extent) {
  const double first = std::floor(std::log2(kWholeLine / std::max(extent, 1.0)) / kZoomStep) * kZoomStep;
  return {first, static_cast<int>(std::lround((kDeepest - first) / kZoomStep)) + 1};
}

// A symbol on the plan: where it stands, in metres, and the first level
// it shows at.
struct plan_symbol {
  size_t object;
  map_point at;
  double half;  // half its side, in pixels
  int rank;     // -1 for a station, which always shows
  int level;
};

std::vector<plan_symbol> plan_symbols(const plan_view& view, const json& objects) {
  std::vector<plan_symbol> out;
  for (size_t i = 0; i < objects.size(); ++i) {
    const json& o = objects[i];
    const bool station = o["tipo"] == "stazione";
    const int rank = station ? -1 : symbol_rank(o["tipo"]);
    if (!station && rank < 0) continue;
    out.push_back({i, view.turned_at(o["inizio"].get<double>()), station ? kStationHalf : kSymbolHalf, rank, station ? 0 : -1});
  }
  // Most important first.
  std::stable_sort(out.begin(), out.end(), [](const plan_symbol& a, const plan_symbol& b) { return a.rank < b.rank; });
  return out;
}

map_box symbol_box(const plan_symbol& y, double s) {
  return {y.at.x * s - y.half, -y.at.y * s - y.half, y.at.x * s + y.half, -y.at.y * s + y.half};
}

// From the whole line inwards, a symbol shows once its box meets no symbol
// shown before it, and then stays: zooming in only moves symbols apart.
void thin_symbols(std::vector<plan_symbol>& symbols, const levels& z) {
  for (int l = 0; l < z.count(); ++l) {
    const double s = z.scale(l);
    label_placer placer({-kFar, -kFar, kFar, kFar});
    for (const plan_symbol& y : symbols) {
      if (y.level >= 0) placer.add_obstacle(symbol_box(y, s));
    }
    for (plan_symbol& y : symbols) {
      if (y.level < 0 && placer.take_if_free(symbol_box(y, s))) y.level = l;
    }
  }
  for (plan_symbol& y : symbols) {
    if (y.level < 0) y.level = z.count();
  }
}

std::vector<label_job> plan_labels(const map_features& f) {
  std::vector<label_job> jobs;
  auto add = [&](std::string text, const char* kind, double metre, double font, bool bold, bool upright) {
    const double w = std::ceil(text_width(text, font, bold)) + 4;
    jobs.push_back({std::move(text), kind, metre, w, label_height(font), upright, 0, json::array(), std::nullopt, {}});
  };
  for (const map_station& s : f.stations) add(ansi_to_utf8(s.name), "stazione", s.position, kStationFont, true, false);
  for (const map_stretch& s : f.slowdowns) {
    add(std::to_string(s.value) + " km/h", "rallentamento", (s.start + std::max(s.end, s.start + 50)) / 2.0, kSmallFont,
        true, false);
  }
  for (const map_board& b : f.boards) add(ansi_to_utf8(board_words(b.text)), "cartello", b.position, kBoardFont, false, true);
  std::vector<label_job> km;
  for (int64_t m = 1000; m < f.length; m += 1000) {
    km.push_back({"km " + std::to_string(m / 1000), "km", static_cast<double>(m),
                  std::ceil(text_width("km " + std::to_string(m / 1000), kKmFont)) + 4, label_height(kKmFont), false,
                  roundness(m / 1000) * 1000.0, json::array(), std::nullopt, {}});
  }
  std::stable_sort(km.begin(), km.end(), [](const label_job& a, const label_job& b) {
    return roundness(std::lround(a.metre / 1000)) > roundness(std::lround(b.metre / 1000));
  });
  for (label_job& j : km) jobs.push_back(std::move(j));
  return jobs;
}

// The stretches of the line, in metres, within `reach` metres along it of
// a label: where the track can be in a label's way. (A line that comes
// back near itself further on may also pass a label: it is then crossed
// at worst, never covered by another label.)
std::vector<std::pair<double, double>> near_labels(const std::vector<label_job>& jobs, double reach, double last) {
  std::vector<std::pair<double, double>> spans;
  for (const label_job& j : jobs) spans.emplace_back(std::max(0.0, j.metre - reach), std::min(last, j.metre + reach));
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<double, double>> merged;
  for (const auto& span : spans) {
    if (!merged.empty() && span.first <= merged.back().second) {
      merged.back().second = std::max(merged.back().second, span.second);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

// Places every label at every level, from the whole line inwards. A label
// shown at the level before is placed first and where it stood, if that
// place is still free, so that labels do not jump about as one zooms.
void place_plan_labels(const plan_view& view, const levels& z, const std::vector<plan_symbol>& symbols,
                       std::vector<label_job>& jobs) {
  const int32_t last = view.last();
  double reach = 0;
  for (const label_job& j : jobs) reach = std::max(reach, j.width + kLabelReach + 20);
  std::vector<map_point> anchors;
  for (const label_job& j : jobs) anchors.push_back(view.turned_at(j.metre));
  for (int l = 0; l < z.count(); ++l) {
    const double s = z.scale(l);
    auto screen = [&](map_point p) { return map_point{p.x * s, -p.y * s}; };
    label_placer placer({-kFar, -kFar, kFar, kFar});
    // The track, in pieces of about a dozen pixels, at least 10 m long;
    // only where it passes near a label, which is all of it zoomed out.
    const double step = std::max(10.0, 12 / s);
    for (const auto& [from, to] : near_labels(jobs, reach / s, last)) {
      map_point before = screen(view.turned_at(from));
      for (double m = from + step; m < to + step; m += step) {
        const map_point p = screen(view.turned_at(std::min(m, to)));
        placer.add_segment(before, p);
        before = p;
      }
    }
    for (const plan_symbol& y : symbols) {
      if (y.level <= l) placer.add_obstacle(symbol_box(y, s));
    }
    std::vector<bool> placed(jobs.size(), false);
    auto try_label = [&](size_t i, bool keep_place) {
      label_job& j = jobs[i];
      const map_point a = screen(anchors[i]);
      std::optional<label_placer::placement> p;
      // Kilometre marks closer than this on the screen would crowd the
      // line: only rounder ones are tried.
      const bool crowded = j.spacing > 0 && j.spacing * s < kKmSpacing;
      if (!crowded && keep_place && j.last) {
        const map_box& o = j.last_offset;
        const map_box b{a.x + o.x0, a.y + o.y0, a.x + o.x1, a.y + o.y1};
        if (placer.take_if_free(b)) p = label_placer::placement{b, false, j.last->vertical};
      }
      if (!p && !crowded) p = placer.place_if_free(a, j.width, j.height, kLabelReach, j.upright);
      placed[i] = true;
      const bool same = p && j.last && p->vertical == j.last->vertical &&
                        std::lround(p->box.x0 - a.x) == std::lround(j.last_offset.x0) &&
                        std::lround(p->box.y0 - a.y) == std::lround(j.last_offset.y0);
      if (p && !same) {
        j.where.push_back(p->vertical ? json::array({l, std::lround(p->box.x0 - a.x), std::lround(p->box.y0 - a.y), 1})
                                      : json::array({l, std::lround(p->box.x0 - a.x), std::lround(p->box.y0 - a.y)}));
      } else if (!p && (j.last || l == 0)) {
        j.where.push_back(json::array({l}));
      }
      if (p) {
        j.last_offset = {std::round(p->box.x0 - a.x), std::round(p->box.y0 - a.y), std::round(p->box.x1 - a.x),
                         std::round(p->box.y1 - a.y)};
      }
      j.last = p;
    };
    // Most important first; within a kind, what showed before.
    for (size_t i = 0; i < jobs.size(); ++i) {
      const bool kind_start = i == 0 || jobs[i].kind != jobs[i - 1].kind;
      if (!kind_start) continue;
      size_t end = i;
      while (end < jobs.size() && jobs[end].kind == jobs[i].kind) ++end;
      for (size_t k = i; k < end; ++k) {
        if (jobs[k].last) try_label(k, true);
      }
      for (size_t k = i; k < end; ++k) {
        if (!placed[k]) try_label(k, false);
      }
    }
  }
}

// The profile's station names stand upright on their station lines, at a
// fixed place: per station, the first level from which its name meets no
// other (the profile zooms along the kilometres only).
json profile_station_levels(const map_features& f, const levels& z) {
  std::vector<int> level(f.stations.size(), -1);
  for (int l = 0; l < z.count(); ++l) {
    const double s = z.scale(l);
    label_placer placer({-kFar, -kFar, kFar, kFar});
    auto box = [&](size_t i) {
      const double x = f.stations[i].position * s, h = text_width(ansi_to_utf8(f.stations[i].name), kSmallFont);
      return map_box{x - label_height(kSmallFont) / 2, 0, x + label_height(kSmallFont) / 2, h};
    };
    for (size_t i = 0; i < f.stations.size(); ++i) {
      if (level[i] >= 0) placer.add_obstacle(box(i));
    }
    for (size_t i = 0; i < f.stations.size(); ++i) {
      if (level[i] < 0 && placer.take_if_free(box(i))) level[i] = l;
    }
  }
  json out = json::array();
  for (size_t i = 0; i < f.stations.size(); ++i) {
    out.push_back({{"nome", ansi_to_utf8(f.stations[i].name)},
                   {"m", f.stations[i].position},
                   {"da", f.stations[i].start},
                   {"a", f.stations[i].end},
                   {"livello", level[i] < 0 ? z.count() : level[i]}});
  }
  return out;
}

}  // namespace

json view_data(const scenario_model& model, json& objects, const std::vector<plan_xy>& imported) {
  const map_features f = read_map_features(model);
  const plan_view view(model, f.length);
  double extent = std::max(f.length, 1);
  if (view.valid()) {
    const map_box b = view.turned_bounds();
    extent = std::max(b.x1 - b.x0, b.y1 - b.y0);
  }
  // One set of levels for both views: the profile's whole line is its length.
  const levels z = zoom_levels(std::max<double>(extent, f.length));
  json out = {{"zoom", z.describe()}, {"pianta", nullptr}};

  json labels = json::array();
  if (view.valid()) {
    std::vector<plan_symbol> symbols = plan_symbols(view, objects);
    thin_symbols(symbols, z);
    for (json& o : objects) o["livello"] = 0;
    for (const plan_symbol& y : symbols) objects[y.object]["livello"] = y.level;
    const int step = std::max(10, (view.last() + 19999) / 20000);
    json pts = json::array();
    for (int64_t m = 0;; m += step) {
      const map_point p = view.turned_at(static_cast<double>(std::min<int64_t>(m, view.last())));
      pts.push_back(std::lround(p.x * 10));
      pts.push_back(std::lround(p.y * 10));
      if (m >= view.last()) break;
    }
    const map_point north = view.north();
    out["pianta"] = {{"passo", step},
                     {"ultimo", view.last()},
                     {"nord", {std::round(north.x * 1000) / 1000, std::round(north.y * 1000) / 1000}},
                     {"punti", std::move(pts)}};
    if (!imported.empty()) {
      // A point every few metres at most is all the page needs to draw.
      json original = json::array();
      map_point last{1e300, 1e300};
      for (size_t i = 0; i < imported.size(); ++i) {
        const map_point p = view.turned_point(imported[i]);
        if (i + 1 < imported.size() && std::hypot(p.x - last.x, p.y - last.y) < 5) continue;
        original.push_back(std::lround(p.x * 10));
        original.push_back(std::lround(p.y * 10));
        last = p;
      }
      out["pianta"]["originale"] = std::move(original);
    }
    std::vector<label_job> jobs = plan_labels(f);
    place_plan_labels(view, z, symbols, jobs);
    for (label_job& j : jobs) {
      labels.push_back({{"testo", std::move(j.text)},
                        {"tipo", j.kind},
                        {"m", j.metre},
                        {"w", j.width},
                        {"h", j.height},
                        {"dove", std::move(j.where)}});
    }
  } else {
    for (json& o : objects) o["livello"] = 0;
  }
  out["etichette"] = std::move(labels);

  const std::vector<double> altitude = altitude_profile(model);
  json alt = json::array(), speed = json::array();
  for (double a : altitude) alt.push_back(std::round(a * 10) / 10);
  for (size_t i = 0; i + 1 < altitude.size() && i < model.route_cells.size(); ++i) {
    speed.push_back(model.route_cells[i].speed_limit * 5);
  }
  out["profilo"] = {{"passo", 50}, {"altitudini", std::move(alt)}, {"velocita", std::move(speed)},
                    {"stazioni", profile_station_levels(f, z)}};
  return out;
}

}  // namespace scenario::tool
