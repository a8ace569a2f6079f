#include "tool/route_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "model/ansi_text.h"
#include "model/nearest.h"
#include "model/plan_generator.h"

namespace scenario::tool {
namespace {

// ---------------------------------------------------------------------------
// Reading the model

// Point objects lie in cell(p) = nearest(p / 50 + 1).
int32_t position_of_cell(size_t cell) { return (static_cast<int32_t>(cell) - 1) * 50; }

// ---------------------------------------------------------------------------
// Text

std::string number(double v, int decimals = 1) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// Numbers for people: decimal comma, as the rest of the tool's Italian.
std::string decimal_comma(double v, int decimals) {
  std::string s = number(v, decimals);
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string signed_number(int32_t v) { return v > 0 ? "+" + std::to_string(v) : std::to_string(v); }

// A board shows its parts in brackets, padded with blanks to equal widths:
// "(MADONNA)(261 m. )". The picture gives them plainly: "MADONNA 261 m.".
std::string tidy_board_text(const std::string& text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == '(' || c == ')' || c == ' ' || c == '\t') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

// ---------------------------------------------------------------------------
// Geometry

bool segments_cross(map_point a, map_point b, map_point c, map_point d) {
  auto orient = [](map_point p, map_point q, map_point r) { return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x); };
  const double d1 = orient(c, d, a), d2 = orient(c, d, b), d3 = orient(a, b, c), d4 = orient(a, b, d);
  return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

bool inside(const map_box& box, map_point p) { return p.x >= box.x0 && p.x <= box.x1 && p.y >= box.y0 && p.y <= box.y1; }

bool segment_meets_box(map_point a, map_point b, const map_box& box) {
  if (std::max(a.x, b.x) < box.x0 || std::min(a.x, b.x) > box.x1 || std::max(a.y, b.y) < box.y0 ||
      std::min(a.y, b.y) > box.y1) {
    return false;
  }
  if (inside(box, a) || inside(box, b)) return true;
  const map_point c[4] = {{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
  for (int i = 0; i < 4; ++i) {
    if (segments_cross(a, b, c[i], c[(i + 1) % 4])) return true;
  }
  return false;
}

map_box grown(const map_box& b, double by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }

// The point of `box` nearest to `p`, where a leader line ends.
map_point nearest_on_box(const map_box& box, map_point p) {
  return {std::clamp(p.x, box.x0, box.x1), std::clamp(p.y, box.y0, box.y1)};
}

// ---------------------------------------------------------------------------
// SVG text

class svg_writer {
 public:
  std::string out;

  void raw(const std::string& s) { out += s; }
  void line(map_point a, map_point b, const std::string& attrs) {
    out += "<line x1=\"" + number(a.x) + "\" y1=\"" + number(a.y) + "\" x2=\"" + number(b.x) + "\" y2=\"" +
           number(b.y) + "\" " + attrs + "/>\n";
  }
  void polyline(const std::vector<map_point>& points, const std::string& attrs) {
    out += "<polyline points=\"";
    for (size_t i = 0; i < points.size(); ++i) {
      if (i != 0) out += ' ';
      out += number(points[i].x) + "," + number(points[i].y);
    }
    out += "\" " + attrs + "/>\n";
  }
  void rect(const map_box& b, const std::string& attrs) {
    out += "<rect x=\"" + number(b.x0) + "\" y=\"" + number(b.y0) + "\" width=\"" + number(b.x1 - b.x0) +
           "\" height=\"" + number(b.y1 - b.y0) + "\" " + attrs + "/>\n";
  }
  void circle(map_point c, double r, const std::string& attrs) {
    out += "<circle cx=\"" + number(c.x) + "\" cy=\"" + number(c.y) + "\" r=\"" + number(r) + "\" " + attrs + "/>\n";
  }
  // `utf8` must already be escaped (xml_text) or plain ASCII without specials.
  void text(map_point at, const std::string& utf8, const std::string& attrs) {
    out += "<text x=\"" + number(at.x) + "\" y=\"" + number(at.y) + "\" " + attrs + ">" + utf8 + "</text>\n";
  }
};

// ---------------------------------------------------------------------------
// Layout

constexpr double kWidth = 1400;
constexpr double kMargin = 40;
constexpr double kPlanTop = 92;
constexpr double kPlanMaxHeight = 620;
constexpr double kPlanPadX = 40;
constexpr double kPlanPadY = 90;  // room for labels above and below the track

constexpr char kFont[] = "font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\"";
constexpr double kStationFont = 12.5;
constexpr double kBoardFont = 9.5;
constexpr double kSmallFont = 10.5;

constexpr char kTrackColor[] = "#2b2b2b";
constexpr char kTunnelColor[] = "#a47a4b";
constexpr char kStationColor[] = "#1f4e99";
constexpr char kSignalColor[] = "#d62728";
constexpr char kSlowdownColor[] = "#f28e1c";
constexpr char kBoardColor[] = "#2e7d6b";
constexpr char kAltitudeColor[] = "#5b3a1a";
constexpr char kSpeedColor[] = "#c2185b";

// The plan turned so that the line runs from left to right, start to end,
// at one scale for both axes. It holds one point every few metres, taken
// from the plan as it is computed; between them it interpolates.
class plan_view {
 public:
  plan_view(const scenario_model& m, int32_t length) {
    const plan_points& plan = m.plan;
    last_ = std::min<int32_t>(length, plan.computed_end - 1);
    if (!plan.sized || !plan.start_set || last_ < 2) {
      last_ = -1;
      return;
    }
    // A few metres apart, at most about kMaxSamples points for the longest
    // line: far finer than the drawing.
    step_ = std::max<int32_t>(kSampleStep, (last_ + kMaxSamples - 1) / kMaxSamples);
    samples_ = sample_plan(plan, last_, step_);
    const plan_xy end = samples_.back();
    const double chord = std::hypot(end.x, end.y);
    // A line that comes back near its start has no direction of its own:
    // keep north up then.
    if (chord > 0.2 * last_) {
      dx_ = end.x / chord;
      dy_ = end.y / chord;
    }
    for (size_t i = 0; i < samples_.size(); ++i) {
      const map_point p = turned(i);
      u0_ = std::min(u0_, p.x);
      u1_ = std::max(u1_, p.x);
      v0_ = std::min(v0_, p.y);
      v1_ = std::max(v1_, p.y);
    }
  }

  bool valid() const { return last_ >= 0; }
  int32_t last() const { return last_; }

  // Fits the plan into a frame `width` wide and at most `max_height` tall.
  void fit(double left, double top, double width, double max_height) {
    const double bw = std::max(u1_ - u0_, 1.0), bh = std::max(v1_ - v0_, 1.0);
    scale_ = std::min((width - 2 * kPlanPadX) / bw, (max_height - 2 * kPlanPadY) / bh);
    height_ = bh * scale_ + 2 * kPlanPadY;
    ox_ = left + (width - bw * scale_) / 2;
    oy_ = top + kPlanPadY;
  }
  double height() const { return height_; }
  double scale() const { return scale_; }  // units per metre

  map_point at(double metre) const {
    const double m = std::clamp(metre, 0.0, static_cast<double>(last_));
    const size_t i = std::min(static_cast<size_t>(m / step_), samples_.size() - 1);
    const size_t j = std::min(i + 1, samples_.size() - 1);
    const double from = static_cast<double>(i) * step_;
    const double to = std::min(static_cast<double>(j) * step_, static_cast<double>(last_));
    const double f = to > from ? (m - from) / (to - from) : 0.0;
    const map_point a = turned(i), b = turned(j);
    return screen({a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f});
  }
  // Screen direction of north, a unit vector.
  map_point north() const { return {dy_, -dx_}; }

  std::vector<map_point> stretch(double from, double to, double step) const {
    std::vector<map_point> pts;
    from = std::clamp(from, 0.0, static_cast<double>(last_));
    to = std::clamp(to, 0.0, static_cast<double>(last_));
    for (double m = from; m < to; m += step) pts.push_back(at(m));
    pts.push_back(at(to));
    if (pts.size() == 1) pts.push_back(at(to));
    return pts;
  }

 private:
  // Along the chord, and to its left.
  map_point turned(size_t sample) const {
    const double x = samples_[sample].x, y = samples_[sample].y;
    return {x * dx_ + y * dy_, -x * dy_ + y * dx_};
  }
  map_point screen(map_point uv) const { return {ox_ + (uv.x - u0_) * scale_, oy_ + (v1_ - uv.y) * scale_}; }

  static constexpr int32_t kSampleStep = 5;      // metres
  static constexpr int32_t kMaxSamples = 40000;
  std::vector<plan_xy> samples_;  // metre min(i * step_, last_)
  int32_t step_ = kSampleStep;
  int32_t last_ = -1;
  double dx_ = 0, dy_ = 1;  // unit chord; north up by default
  double u0_ = 1e300, u1_ = -1e300, v0_ = 1e300, v1_ = -1e300;
  double scale_ = 1, ox_ = 0, oy_ = 0, height_ = 0;
};

// A step of 1, 2 or 5 times a power of ten near `raw`.
double nice_step(double raw) {
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (f * p >= raw) return f * p;
  }
  return 10 * p;
}

void draw_label(svg_writer& svg, const label_placer::placement& p, map_point anchor, const std::string& utf8,
                double font, const std::string& attrs) {
  if (p.leader) {
    svg.line(anchor, nearest_on_box(p.box, anchor), "stroke=\"#8a8a8a\" stroke-width=\"0.7\"");
  }
  // The baseline leaves room for descenders; upright text reads upwards.
  if (p.vertical) {
    const map_point at{p.box.x1 - font * 0.3, p.box.y1 - 1.5};
    svg.text(at, utf8, attrs + " transform=\"rotate(-90 " + number(at.x) + " " + number(at.y) + ")\"");
  } else {
    svg.text({p.box.x0 + 1.5, p.box.y1 - font * 0.3}, utf8, attrs);
  }
}

double label_height(double font) { return font * 1.25; }

// ---------------------------------------------------------------------------
// The ground plan

double draw_plan(svg_writer& svg, const map_features& f, const scenario_model& model, double top) {
  plan_view view(model, f.length);
  const double left = kMargin, width = kWidth - 2 * kMargin;
  svg.text({left, top - 8}, "Pianta", std::string(kFont) + " font-size=\"15\" font-weight=\"bold\" fill=\"#333\"");
  if (!view.valid()) {
    svg.rect({left, top, left + width, top + 60}, "fill=\"#fafafa\" stroke=\"#bbb\"");
    svg.text({left + 16, top + 36}, "tracciato non disponibile", std::string(kFont) + " font-size=\"13\" fill=\"#777\"");
    return top + 60;
  }
  view.fit(left, top, width, kPlanMaxHeight);
  const map_box frame{left, top, left + width, top + view.height()};
  svg.rect(frame, "fill=\"#fcfcfa\" stroke=\"#c8c8c8\"");

  label_placer placer(grown(frame, -4));
  const std::vector<map_point> track = view.stretch(0, view.last(), 25);
  for (size_t i = 1; i < track.size(); ++i) placer.add_segment(track[i - 1], track[i]);

  // North arrow and scale bar in the corners, kept free of labels.
  const map_point n = view.north();
  const map_point nc{frame.x1 - 34, frame.y0 + 36};
  svg.raw("<g class=\"north\">\n");
  svg.circle(nc, 20, "fill=\"white\" stroke=\"#999\"");
  const map_point tip{nc.x + n.x * 16, nc.y + n.y * 16}, tail{nc.x - n.x * 12, nc.y - n.y * 12};
  const map_point side{-n.y * 6, n.x * 6};
  svg.raw("<polygon points=\"" + number(tip.x) + "," + number(tip.y) + " " + number(tail.x + side.x) + "," +
          number(tail.y + side.y) + " " + number(nc.x) + "," + number(nc.y) + " " + number(tail.x - side.x) + "," +
          number(tail.y - side.y) + "\" fill=\"#333\"/>\n");
  svg.text({nc.x + n.x * 29 - 5, nc.y + n.y * 29 + 5}, "N", std::string(kFont) + " font-size=\"14\" font-weight=\"bold\"");
  svg.raw("</g>\n");
  placer.add_obstacle({nc.x - 44, nc.y - 44, nc.x + 44, nc.y + 44});

  const double bar_m = nice_step(width / 6 / view.scale());
  const double bar_w = bar_m * view.scale();
  const map_point b0{frame.x0 + 16, frame.y1 - 22};
  svg.raw("<g class=\"scale-bar\">\n");
  for (int i = 0; i < 4; ++i) {
    svg.rect({b0.x + bar_w * i / 4, b0.y, b0.x + bar_w * (i + 1) / 4, b0.y + 6},
             std::string("fill=\"") + (i % 2 == 0 ? "#333" : "white") + "\" stroke=\"#333\" stroke-width=\"0.8\"");
  }
  svg.text({b0.x, b0.y - 5}, "0", std::string(kFont) + " font-size=\"10\" text-anchor=\"middle\"");
  svg.text({b0.x + bar_w / 2, b0.y - 5}, decimal_comma(bar_m / 2000, 1),
           std::string(kFont) + " font-size=\"10\" text-anchor=\"middle\"");
  svg.text({b0.x + bar_w, b0.y - 5}, decimal_comma(bar_m / 1000, 1) + " km",
           std::string(kFont) + " font-size=\"10\" text-anchor=\"middle\"");
  svg.raw("</g>\n");
  placer.add_obstacle({b0.x - 6, b0.y - 20, b0.x + bar_w + 30, b0.y + 12});

  // Track, with stretches along it underneath: stations, tunnels, slowdowns.
  for (const map_station& s : f.stations) {
    svg.polyline(view.stretch(s.start, s.end, 10),
                 std::string("class=\"station-stretch\" fill=\"none\" stroke=\"") + kStationColor +
                     "\" stroke-opacity=\"0.35\" stroke-width=\"9\"");
  }
  for (const map_stretch& t : f.tunnels) {
    svg.polyline(view.stretch(t.start, t.end, 10),
                 std::string("class=\"tunnel\" fill=\"none\" stroke=\"") + kTunnelColor +
                     "\" stroke-width=\"7\" stroke-linecap=\"butt\"");
  }
  for (const map_stretch& s : f.slowdowns) {
    svg.polyline(view.stretch(s.start, std::max(s.end, s.start + 50), 10),
                 std::string("class=\"slowdown\" fill=\"none\" stroke=\"") + kSlowdownColor +
                     "\" stroke-width=\"11\" stroke-opacity=\"0.75\"");
  }
  svg.polyline(track, std::string("class=\"track\" fill=\"none\" stroke=\"") + kTrackColor +
                          "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"");
  svg.circle(view.at(0), 3, std::string("fill=\"") + kTrackColor + "\"");
  svg.circle(view.at(view.last()), 3, std::string("fill=\"") + kTrackColor + "\"");

  // Marks.
  for (int32_t p : f.signals) {
    const map_point c = view.at(p);
    svg.raw("<rect class=\"signal\" x=\"" + number(c.x - 3) + "\" y=\"" + number(c.y - 3) +
            "\" width=\"6\" height=\"6\" fill=\"" + kSignalColor + "\" stroke=\"white\" stroke-width=\"0.8\"/>\n");
    placer.add_obstacle({c.x - 4, c.y - 4, c.x + 4, c.y + 4});
  }
  for (const map_board& b : f.boards) {
    const map_point c = view.at(b.position);
    svg.raw("<polygon class=\"board\" points=\"" + number(c.x) + "," + number(c.y - 4) + " " + number(c.x + 4) + "," +
            number(c.y) + " " + number(c.x) + "," + number(c.y + 4) + " " + number(c.x - 4) + "," + number(c.y) +
            "\" fill=\"" + kBoardColor + "\" stroke=\"white\" stroke-width=\"0.8\"/>\n");
    placer.add_obstacle({c.x - 4, c.y - 4, c.x + 4, c.y + 4});
  }
  for (const map_station& s : f.stations) {
    const map_point c = view.at(s.position);
    svg.circle(c, 5.5, std::string("class=\"station\" fill=\"white\" stroke=\"") + kStationColor + "\" stroke-width=\"2.2\"");
    placer.add_obstacle({c.x - 7, c.y - 7, c.x + 7, c.y + 7});
  }

  // Labels, most important first.
  const std::string station_attrs = std::string(kFont) + " font-size=\"" + number(kStationFont) +
                                    "\" font-weight=\"bold\" fill=\"" + kStationColor + "\"";
  for (const map_station& s : f.stations) {
    const std::string name = xml_text(s.name);
    const map_point c = view.at(s.position);
    const auto p = placer.place(c, text_width(ansi_to_utf8(s.name), kStationFont, true) + 3, label_height(kStationFont));
    draw_label(svg, p, c, name, kStationFont, station_attrs);
  }
  for (const map_stretch& s : f.slowdowns) {
    const std::string text = std::to_string(s.value) + " km/h";
    const map_point c = view.at((s.start + std::max(s.end, s.start + 50)) / 2.0);
    const auto p = placer.place(c, text_width(text, kSmallFont, true) + 3, label_height(kSmallFont));
    draw_label(svg, p, c, text, kSmallFont,
               std::string(kFont) + " font-size=\"" + number(kSmallFont) + "\" font-weight=\"bold\" fill=\"#b35900\"");
  }
  const std::string board_attrs =
      std::string(kFont) + " font-size=\"" + number(kBoardFont) + "\" font-style=\"italic\" fill=\"" + kBoardColor + "\"";
  // Boards crowd together before tunnels in a row: the ones with least
  // room choose first, while there is still room near them.
  struct board_label {
    map_point anchor;
    std::string text;
    double width;
    int room;
  };
  std::vector<board_label> boards;
  for (const map_board& b : f.boards) {
    const std::string text = tidy_board_text(b.text);
    const map_point c = view.at(b.position);
    const double w = text_width(ansi_to_utf8(text), kBoardFont) + 3;
    boards.push_back({c, text, w, placer.room(c, w, label_height(kBoardFont), true)});
  }
  std::stable_sort(boards.begin(), boards.end(), [](const board_label& a, const board_label& b) { return a.room < b.room; });
  for (const board_label& b : boards) {
    const auto p = placer.place(b.anchor, b.width, label_height(kBoardFont), true);
    draw_label(svg, p, b.anchor, xml_text(b.text), kBoardFont, board_attrs);
  }
  // Kilometre marks where they fit.
  const double km_step = f.length > 20000 ? 5000 : 1000;
  for (double m = km_step; m < f.length; m += km_step) {
    const map_point c = view.at(m);
    svg.circle(c, 1.8, "fill=\"white\" stroke=\"#555\" stroke-width=\"0.8\"");
    const std::string text = "km " + number(m / 1000);
    if (const auto p = placer.place_if_free(c, text_width(text, 9) + 2, label_height(9), 20, false)) {
      draw_label(svg, *p, c, text, 9, std::string(kFont) + " font-size=\"9\" fill=\"#555\"");
    }
  }
  return frame.y1;
}

// ---------------------------------------------------------------------------
// Legend

double draw_legend(svg_writer& svg, double top) {
  const double y = top + 18;
  double x = kMargin;
  const std::string font = std::string(kFont) + " font-size=\"11\" fill=\"#333\"";
  auto label = [&](const std::string& text) {
    svg.text({x, y + 4}, text, font);
    x += text_width(text, 11) + 22;
  };
  svg.raw("<g class=\"legend\">\n");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kTrackColor + "\" stroke-width=\"1.8\"");
  x += 32;
  label("binario");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kTunnelColor + "\" stroke-width=\"7\"");
  x += 32;
  label("galleria");
  svg.circle({x + 6, y}, 5.5, std::string("fill=\"white\" stroke=\"") + kStationColor + "\" stroke-width=\"2.2\"");
  x += 16;
  label("stazione");
  svg.rect({x, y - 3, x + 6, y + 3}, std::string("fill=\"") + kSignalColor + "\"");
  x += 12;
  label("segnale");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kSlowdownColor + "\" stroke-width=\"9\" stroke-opacity=\"0.75\"");
  x += 32;
  label("rallentamento");
  svg.raw("<polygon points=\"" + number(x + 4) + "," + number(y - 4) + " " + number(x + 8) + "," + number(y) + " " +
          number(x + 4) + "," + number(y + 4) + " " + number(x) + "," + number(y) + "\" fill=\"" + kBoardColor + "\"/>\n");
  x += 14;
  label("cartello indicatore");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kAltitudeColor + "\" stroke-width=\"2\"");
  x += 32;
  label("altitudine");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kSpeedColor + "\" stroke-width=\"1.6\" stroke-dasharray=\"5 3\"");
  x += 32;
  label("velocit\xC3\xA0 massima");
  svg.raw("</g>\n");
  return top + 34;
}

// ---------------------------------------------------------------------------
// The gradient profile

double draw_profile(svg_writer& svg, const map_features& f, const scenario_model& model, double top) {
  const auto& cells = model.route_cells;
  const int32_t length = std::max(f.length, 1);
  const std::vector<double> altitude = altitude_profile(model);
  const size_t cell_count = altitude.size() - 1;
  double amin = 0, amax = 0, vmax = 0;
  for (double a : altitude) {
    amin = std::min(amin, a);
    amax = std::max(amax, a);
  }
  for (size_t i = 0; i < cell_count; ++i) vmax = std::max(vmax, cells[i].speed_limit * 5.0);

  const double names_h = 150, plot_h = 280;
  const double x0 = kMargin + 60, x1 = kWidth - kMargin - 56;
  const double names_top = top + 8, py0 = names_top + names_h, py1 = py0 + plot_h;
  auto px = [&](double metre) { return x0 + (x1 - x0) * metre / length; };

  svg.text({kMargin, top - 8}, "Profilo altimetrico",
           std::string(kFont) + " font-size=\"15\" font-weight=\"bold\" fill=\"#333\"");

  // Altitude axis: round ticks spanning the range with a little air.
  const double astep = nice_step(std::max(amax - amin, 10.0) / 6);
  const double abot = std::floor(amin / astep) * astep, atop = std::ceil(amax / astep) * astep;
  auto ay = [&](double a) { return py1 - (py1 - py0) * (a - abot) / std::max(atop - abot, 1.0); };
  const double vstep = 20;
  const double vtop = std::max(std::ceil(vmax * 1.15 / vstep) * vstep, vstep);
  auto vy = [&](double v) { return py1 - (py1 - py0) * v / vtop; };

  svg.rect({x0, py0, x1, py1}, "fill=\"white\" stroke=\"#bbb\"");
  const std::string axis_font = std::string(kFont) + " font-size=\"10.5\" fill=\"#444\"";
  for (double a = abot; a <= atop + 1e-9; a += astep) {
    svg.line({x0, ay(a)}, {x1, ay(a)}, "stroke=\"#e6e6e6\" stroke-width=\"0.8\"");
    svg.line({x0 - 5, ay(a)}, {x0, ay(a)}, "stroke=\"#444\"");
    svg.text({x0 - 8, ay(a) + 3.5}, number(a, 0), axis_font + " text-anchor=\"end\"");
  }
  svg.text({kMargin - 4, py0 + plot_h / 2}, "altitudine relativa all'inizio (m)",
           axis_font + " text-anchor=\"middle\" transform=\"rotate(-90 " + number(kMargin + 6) + " " +
               number(py0 + plot_h / 2) + ")\"");
  for (double v = 0; v <= vtop + 1e-9; v += vstep) {
    svg.line({x1, vy(v)}, {x1 + 5, vy(v)}, std::string("stroke=\"") + kSpeedColor + "\"");
    svg.text({x1 + 8, vy(v) + 3.5}, number(v, 0), std::string(kFont) + " font-size=\"10.5\" fill=\"" + kSpeedColor + "\"");
  }
  svg.text({kWidth - kMargin + 14, py0 + plot_h / 2}, "velocit\xC3\xA0 massima (km/h)",
           std::string(kFont) + " font-size=\"10.5\" fill=\"" + kSpeedColor + "\" text-anchor=\"middle\" transform=\"rotate(-90 " +
               number(kWidth - kMargin + 14) + " " + number(py0 + plot_h / 2) + ")\"");

  // Kilometre axis.
  // Whole kilometres where the line is long enough, about a dozen labels.
  double km_label = 0.1;
  for (double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0}) {
    km_label = step;
    if (length / 1000.0 / step <= 14) break;
  }
  const double km_tick = km_label / 5;
  for (double k = 0; k <= length / 1000.0 + 1e-9; k += km_tick) {
    const bool labelled = std::fabs(std::remainder(k, km_label)) < 1e-6;
    svg.line({px(k * 1000), py1}, {px(k * 1000), py1 + (labelled ? 6 : 3)}, "stroke=\"#444\"");
    if (labelled) {
      svg.line({px(k * 1000), py0}, {px(k * 1000), py1}, "stroke=\"#f0f0f0\" stroke-width=\"0.8\"");
      svg.text({px(k * 1000), py1 + 17}, decimal_comma(k, 1), axis_font + " text-anchor=\"middle\"");
    }
  }
  svg.text({x1, py1 + 31}, "km dall'inizio", axis_font + " text-anchor=\"end\"");

  // Altitude, filled below, and the speed limit as steps.
  std::vector<map_point> ground;
  ground.push_back({x0, py1});
  for (size_t i = 0; i <= cell_count; ++i) ground.push_back({px(static_cast<double>(i) * 50), ay(altitude[i])});
  ground.push_back({px(static_cast<double>(cell_count) * 50), py1});
  svg.raw("<polygon class=\"ground\" points=\"");
  for (const map_point& p : ground) svg.raw(number(p.x) + "," + number(p.y) + " ");
  svg.raw("\" fill=\"#efe4d2\" stroke=\"none\"/>\n");

  // Stations: a line through the plot, the name above it.
  const std::string name_attrs = std::string(kFont) + " font-size=\"11\" font-weight=\"bold\" fill=\"" + kStationColor + "\"";
  double last_name_x = -1e9;
  for (const map_station& s : f.stations) {
    const double x = px(s.position);
    svg.line({x, py0 - 3}, {x, py1}, std::string("stroke=\"") + kStationColor +
                                         "\" stroke-width=\"0.8\" stroke-dasharray=\"3 3\" stroke-opacity=\"0.7\"");
    // Names stand upright, centred over their line; one that would touch
    // the one before moves right.
    const double tx = std::max(x + 4, last_name_x + 13);
    last_name_x = tx;
    svg.text({tx, py0 - 6}, xml_text(s.name),
             name_attrs + " class=\"profile-station\" transform=\"rotate(-90 " + number(tx) + " " + number(py0 - 6) + ")\"");
  }

  // The altitude line over the station lines.
  ground.erase(ground.begin());
  ground.pop_back();
  svg.polyline(ground, std::string("class=\"altitude\" fill=\"none\" stroke=\"") + kAltitudeColor + "\" stroke-width=\"2\"");

  std::vector<map_point> speed;
  for (size_t i = 0; i < cell_count; ++i) {
    const double v = cells[i].speed_limit * 5.0;
    speed.push_back({px(static_cast<double>(i) * 50), vy(v)});
    speed.push_back({px(static_cast<double>(i + 1) * 50), vy(v)});
  }
  if (!speed.empty()) {
    svg.polyline(speed, std::string("class=\"speed\" fill=\"none\" stroke=\"") + kSpeedColor +
                            "\" stroke-width=\"1.6\" stroke-dasharray=\"5 3\"");
  }

  // Bands under the axis: tunnels, then the gradients at their changes.
  const double tunnel_y = py1 + 42, grad_y = py1 + 70;
  const std::string band_font = std::string(kFont) + " font-size=\"10.5\" fill=\"#333\"";
  svg.text({x0 - 8, tunnel_y + 8}, "gallerie", band_font + " text-anchor=\"end\"");
  svg.line({x0, tunnel_y + 5}, {x1, tunnel_y + 5}, "stroke=\"#ddd\"");
  for (const map_stretch& t : f.tunnels) {
    const double a = px(std::clamp(t.start, 0, length)), b = px(std::clamp(t.end, 0, length));
    svg.rect({a, tunnel_y, std::max(b, a + 1.2), tunnel_y + 10},
             std::string("class=\"profile-tunnel\" fill=\"") + kTunnelColor + "\"");
  }
  svg.text({x0 - 8, grad_y + 11}, "pendenza \xE2\x80\xB0", band_font + " text-anchor=\"end\"");
  svg.line({x0, grad_y - 2}, {x1, grad_y - 2}, "stroke=\"#ddd\"");
  double last_end = -1e9;
  int previous = 1000;
  for (size_t i = 0; i < cell_count; ++i) {
    const int g = static_cast<int>(cells[i].gradient) - 100;
    if (g == previous) continue;
    previous = g;
    const double x = px(static_cast<double>(i) * 50);
    svg.line({x, grad_y - 2}, {x, grad_y + 14}, "stroke=\"#999\" stroke-width=\"0.8\"");
    const std::string text = signed_number(g);
    const double w = text_width(text, 10.5);
    // Skip a value that would run into the one before.
    if (x + 2 < last_end + 3) continue;
    svg.text({x + 2, grad_y + 11}, text, std::string(kFont) + " font-size=\"10.5\" class=\"gradient\" fill=\"" +
                                             (g > 0 ? "#8c2d04" : g < 0 ? "#08519c" : "#333") + "\"");
    last_end = x + 2 + w;
  }
  return grad_y + 24;
}

}  // namespace

// ---------------------------------------------------------------------------

map_features read_map_features(const scenario_model& model) {
  map_features f;
  f.length = model.item_table[kTrainItem].end;
  const auto& cells = model.route_cells;

  std::array<bool, kItemCount> board_text{};
  for (size_t i = 0; i < cells.size(); ++i) {
    const route_cell& c = cells[i];
    if (c.kind == kIndicatorBoard && c.info1 >= 1 && c.info1 <= kFirstBoardItem) {
      board_text[static_cast<size_t>(c.info1)] = true;
      f.boards.push_back({position_of_cell(i), model.item_table[static_cast<size_t>(c.info1)].text});
    } else if (c.kind == kSignal) {
      f.signals.push_back(position_of_cell(i));
    } else if (c.kind == kSlowdownStart) {
      // Its end is the next end cell, unless another start comes first (a
      // slowdown shorter than a cell has no end cell of its own).
      map_stretch s{position_of_cell(i), position_of_cell(i), c.info1};
      for (size_t j = i + 1; j < cells.size() && cells[j].kind != kSlowdownStart; ++j) {
        if (cells[j].kind == kSlowdownEnd) {
          s.end = position_of_cell(j);
          break;
        }
      }
      f.slowdowns.push_back(s);
    }
  }
  // Stations fill the item table from entry 1 up, board texts from 80 down.
  for (size_t i = 1; i <= kFirstBoardItem && !board_text[i]; ++i) {
    const item_entry& e = model.item_table[i];
    if (e.kind == 0 && e.position == 0 && e.text.empty()) break;
    f.stations.push_back({e.text, e.position, e.start, e.end});
  }
  const int32_t tunnels = std::clamp<int32_t>(model.tunnel_count, 0, static_cast<int32_t>(model.tunnel_starts.size()) - 1);
  for (int32_t i = 1; i <= tunnels; ++i) {
    map_stretch t{model.tunnel_starts[static_cast<size_t>(i)], model.tunnel_ends[static_cast<size_t>(i)], 0};
    const int64_t first = nearest_whole(t.start / 50.0);
    if (first >= 0 && first < static_cast<int64_t>(cells.size())) t.value = cells[static_cast<size_t>(first)].tunnel_kind;
    f.tunnels.push_back(t);
  }
  return f;
}

std::vector<double> altitude_profile(const scenario_model& model) {
  const auto& cells = model.route_cells;
  const int64_t length = std::max(model.item_table[kTrainItem].end, 0);
  const auto count = static_cast<size_t>(std::clamp<int64_t>(length / 50, 0, static_cast<int64_t>(cells.size()) - 1));
  std::vector<double> altitude(count + 1, 0.0);
  for (size_t i = 0; i < count; ++i) {
    altitude[i + 1] = altitude[i] + (static_cast<int>(cells[i].gradient) - 100) * 50 / 1000.0;
  }
  return altitude;
}

double text_width(std::string_view utf8, double font_size, bool bold) {
  double em = 0;
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    if (c == 'I' || c == 'J') {
      em += 0.32;
    } else if (c == 'M' || c == 'W') {
      em += 0.95;
    } else if (c >= 'A' && c <= 'Z') {
      em += 0.74;
    } else if (c == 'i' || c == 'l' || c == 'j') {
      em += 0.29;
    } else if (c == 'f' || c == 't' || c == 'r') {
      em += 0.40;
    } else if (c == 'm' || c == 'w') {
      em += 0.95;
    } else if (c >= 'a' && c <= 'z') {
      em += 0.62;
    } else if (c >= '0' && c <= '9') {
      em += 0.64;
    } else if (c == ' ' || c == '.' || c == ',' || c == '\'' || c == ':') {
      em += 0.33;
    } else if (c == '(' || c == ')') {
      em += 0.40;
    } else {
      em += 0.70;
    }
  }
  return em * font_size * (bold ? 1.1 : 1.0);
}

namespace {

// Lines are kept in square buckets, so a box is tested only against the
// lines near it.
constexpr double kBucket = 40;

int bucket_of(double v) { return static_cast<int>(std::floor(v / kBucket)); }

}  // namespace

void label_placer::add_segment(map_point a, map_point b) {
  const size_t index = segments_.size();
  segments_.emplace_back(a, b);
  for (int bx = bucket_of(std::min(a.x, b.x)); bx <= bucket_of(std::max(a.x, b.x)); ++bx) {
    for (int by = bucket_of(std::min(a.y, b.y)); by <= bucket_of(std::max(a.y, b.y)); ++by) {
      buckets_[{bx, by}].push_back(index);
    }
  }
}

template <typename Test>
bool label_placer::any_segment_near(const map_box& box, Test test) const {
  for (int bx = bucket_of(box.x0); bx <= bucket_of(box.x1); ++bx) {
    for (int by = bucket_of(box.y0); by <= bucket_of(box.y1); ++by) {
      const auto it = buckets_.find({bx, by});
      if (it == buckets_.end()) continue;
      for (size_t i : it->second) {
        if (test(segments_[i].first, segments_[i].second)) return true;
      }
    }
  }
  return false;
}

bool label_placer::crosses_lines(const map_box& box) const {
  const map_box b = grown(box, 1.5);
  return any_segment_near(b, [&](map_point p, map_point q) { return segment_meets_box(p, q, b); });
}

int label_placer::collisions(const map_box& box, map_point anchor, bool leader) const {
  // Text on text is unreadable, text over a line only untidy.
  int n = 0;
  if (box.x0 < bounds_.x0 || box.y0 < bounds_.y0 || box.x1 > bounds_.x1 || box.y1 > bounds_.y1) n += 1000;
  const map_box spaced = grown(box, 2);
  for (const map_box& o : boxes_) {
    if (o.overlaps(spaced)) n += 10;
    if (leader && segment_meets_box(anchor, nearest_on_box(box, anchor), grown(o, -1))) n += 2;
  }
  if (crosses_lines(box)) n += 3;
  if (leader) {
    // A leader leaves the anchor, on the line itself, so it is tested from
    // a little way out; it should cross neither the line nor another leader.
    const map_point end = nearest_on_box(box, anchor);
    const double len = std::hypot(end.x - anchor.x, end.y - anchor.y);
    if (len > 6) {
      const map_point start{anchor.x + (end.x - anchor.x) * 5 / len, anchor.y + (end.y - anchor.y) * 5 / len};
      const map_box reach{std::min(start.x, end.x), std::min(start.y, end.y), std::max(start.x, end.x),
                          std::max(start.y, end.y)};
      if (any_segment_near(reach, [&](map_point p, map_point q) { return segments_cross(start, end, p, q); })) n += 3;
      for (const auto& [a, b] : leaders_) {
        if (segments_cross(start, end, a, b)) n += 2;
      }
    }
  }
  return n;
}

namespace {

struct candidate {
  map_box box;
  bool leader;
  bool vertical;
};

// Boxes `w` x `h` round the anchor at distance r: the four sides, the
// diagonals, boxes slid along above and below, and the directions between.
void boxes_at(std::vector<candidate>& out, map_point a, double w, double h, double r) {
  const bool leader = r > 14;
  const double d = r * 0.72;
  const map_box boxes[] = {
      {a.x + r, a.y - h / 2, a.x + r + w, a.y + h / 2},      // right
      {a.x - r - w, a.y - h / 2, a.x - r, a.y + h / 2},      // left
      {a.x - w / 2, a.y - r - h, a.x + w / 2, a.y - r},      // above
      {a.x - w / 2, a.y + r, a.x + w / 2, a.y + r + h},      // below
      {a.x + d, a.y - d - h, a.x + d + w, a.y - d},          // above right
      {a.x - d - w, a.y - d - h, a.x - d, a.y - d},          // above left
      {a.x + d, a.y + d, a.x + d + w, a.y + d + h},          // below right
      {a.x - d - w, a.y + d, a.x - d, a.y + d + h},          // below left
      {a.x - w * 0.1, a.y - r - h, a.x + w * 0.9, a.y - r},  // above, slid
      {a.x - w * 0.9, a.y - r - h, a.x + w * 0.1, a.y - r},
      {a.x - w * 0.1, a.y + r, a.x + w * 0.9, a.y + r + h},  // below, slid
      {a.x - w * 0.9, a.y + r, a.x + w * 0.1, a.y + r + h},
  };
  for (const map_box& b : boxes) out.push_back({b, leader, false});
  for (int k = 0; k < 8; ++k) {
    const double angle = (k * 45 + 22.5) * 3.14159265358979 / 180;
    const map_point c{a.x + std::cos(angle) * (r + w / 2), a.y - std::sin(angle) * (r + h / 2)};
    out.push_back({{c.x - w / 2, c.y - h / 2, c.x + w / 2, c.y + h / 2}, leader, false});
  }
}

// Upright text standing above or below the anchor, `w` tall.
void upright_at(std::vector<candidate>& out, map_point a, double w, double h, double r) {
  const bool leader = r > 14;
  for (double shift : {0.0, -h, h, -2 * h, 2 * h}) {
    const double x = a.x + shift;
    out.push_back({{x - h / 2, a.y - r - w, x + h / 2, a.y - r}, leader, true});
    out.push_back({{x - h / 2, a.y + r, x + h / 2, a.y + r + w}, leader, true});
  }
}

// Nearest first. Level text reads best; upright text close by comes
// before level text far away, whose leader would be long.
std::vector<candidate> candidates(map_point a, double w, double h, double max_reach, bool upright) {
  std::vector<candidate> out;
  constexpr double kNear[] = {7, 14, 24, 36, 50, 66, 84};
  constexpr double kFar[] = {104, 126, 150, 176};
  for (double r : kNear) {
    if (r <= max_reach) boxes_at(out, a, w, h, r);
  }
  if (upright) {
    for (double r : kNear) {
      if (r <= max_reach) upright_at(out, a, w, h, r);
    }
  }
  for (double r : kFar) {
    if (r <= max_reach) boxes_at(out, a, w, h, r);
  }
  return out;
}

}  // namespace

void label_placer::keep(const map_box& box, map_point anchor, bool leader) {
  boxes_.push_back(box);
  if (leader) leaders_.emplace_back(anchor, nearest_on_box(box, anchor));
}

std::optional<label_placer::placement> label_placer::place_if_free(map_point anchor, double width, double height,
                                                                   double max_reach, bool upright) {
  for (const candidate& c : candidates(anchor, width, height, max_reach, upright)) {
    if (collisions(c.box, anchor, c.leader) == 0) {
      keep(c.box, anchor, c.leader);
      return placement{c.box, c.leader, c.vertical};
    }
  }
  return std::nullopt;
}

int label_placer::room(map_point anchor, double width, double height, bool upright) const {
  int n = 0;
  for (const candidate& c : candidates(anchor, width, height, 1e9, upright)) {
    if (collisions(c.box, anchor, c.leader) == 0) ++n;
  }
  return n;
}

label_placer::placement label_placer::place(map_point anchor, double width, double height, bool upright) {
  if (auto p = place_if_free(anchor, width, height, 1e9, upright)) return *p;
  // Nowhere free: the least crowded place, tied to its anchor.
  placement best{};
  int best_n = -1;
  for (const candidate& c : candidates(anchor, width, height, 1e9, upright)) {
    const int n = collisions(c.box, anchor, c.leader);
    if (best_n < 0 || n < best_n) {
      best_n = n;
      best = {c.box, true, c.vertical};
    }
  }
  keep(best.box, anchor, true);
  return best;
}

std::string xml_text(std::string_view ansi) {
  std::string out;
  for (char ch : ansi_to_utf8(ansi)) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n') {
          out += ' ';
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string route_map_svg(const scenario_model& model) {
  const map_features f = read_map_features(model);
  svg_writer body;

  std::string title = model.route_name;
  std::replace(title.begin(), title.end(), '_', ' ');
  body.text({kMargin, 38}, xml_text(title) + " \xE2\x80\x94 treno " + xml_text(model.train_number),
            std::string(kFont) + " font-size=\"24\" font-weight=\"bold\" fill=\"#222\"");
  auto counted = [](size_t n, const char* one, const char* many) {
    return " \xC2\xB7 " + std::to_string(n) + " " + (n == 1 ? one : many);
  };
  const std::string summary = decimal_comma(f.length / 1000.0, 1) + " km" +
                              counted(f.stations.size(), "stazione", "stazioni") +
                              counted(f.tunnels.size(), "galleria", "gallerie") +
                              counted(f.signals.size(), "segnale", "segnali") +
                              counted(f.slowdowns.size(), "rallentamento", "rallentamenti") +
                              counted(f.boards.size(), "cartello indicatore", "cartelli indicatori");
  body.text({kMargin, 60}, summary, std::string(kFont) + " font-size=\"13\" fill=\"#555\"");

  const double plan_bottom = draw_plan(body, f, model, kPlanTop);
  const double legend_bottom = draw_legend(body, plan_bottom + 6);
  const double bottom = draw_profile(body, f, model, legend_bottom + 34);
  const double height = std::ceil(bottom + 16);

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kWidth) + "\" height=\"" + number(height) +
         "\" viewBox=\"0 0 " + number(kWidth) + " " + number(height) + "\">\n";
  svg += "<title>" + xml_text(title) + " \xE2\x80\x94 treno " + xml_text(model.train_number) + "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += body.out;
  svg += "</svg>\n";
  return svg;
}

}  // namespace scenario::tool
