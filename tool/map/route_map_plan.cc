// The ground plan of the route map, and the legend under it.
#include <algorithm>
#include <cmath>

#include "model/ansi_text.h"
#include "model/plan_generator.h"
#include "tool/map/route_map_views.h"

namespace scenario::tool {
namespace {

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


}  // namespace

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
  svg.open_group("class=\"north\"");
  svg.circle(nc, 20, "fill=\"white\" stroke=\"#999\"");
  const map_point tip{nc.x + n.x * 16, nc.y + n.y * 16}, tail{nc.x - n.x * 12, nc.y - n.y * 12};
  const map_point side{-n.y * 6, n.x * 6};
  svg.polygon({tip, {tail.x + side.x, tail.y + side.y}, nc, {tail.x - side.x, tail.y - side.y}}, "fill=\"#333\"");
  svg.text({nc.x + n.x * 29 - 5, nc.y + n.y * 29 + 5}, "N", std::string(kFont) + " font-size=\"14\" font-weight=\"bold\"");
  svg.close_group();
  placer.add_obstacle({nc.x - 44, nc.y - 44, nc.x + 44, nc.y + 44});

  const double bar_m = nice_step(width / 6 / view.scale());
  const double bar_w = bar_m * view.scale();
  const map_point b0{frame.x0 + 16, frame.y1 - 22};
  svg.open_group("class=\"scale-bar\"");
  for (int i = 0; i < 4; ++i) {
    svg.rect({b0.x + bar_w * i / 4, b0.y, b0.x + bar_w * (i + 1) / 4, b0.y + 6},
             std::string("fill=\"") + (i % 2 == 0 ? "#333" : "white") + "\" stroke=\"#333\" stroke-width=\"0.8\"");
  }
  svg.text({b0.x, b0.y - 5}, "0", std::string(kFont) + " font-size=\"10\" text-anchor=\"middle\"");
  svg.text({b0.x + bar_w / 2, b0.y - 5}, km_figure(bar_m / 2),
           std::string(kFont) + " font-size=\"10\" text-anchor=\"middle\"");
  svg.text({b0.x + bar_w, b0.y - 5}, km_figure(bar_m) + " km",
           std::string(kFont) + " font-size=\"10\" text-anchor=\"middle\"");
  svg.close_group();
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
    svg.rect({c.x - 3, c.y - 3, c.x + 3, c.y + 3},
             std::string("class=\"signal\" fill=\"") + kSignalColor + "\" stroke=\"white\" stroke-width=\"0.8\"");
    placer.add_obstacle({c.x - 4, c.y - 4, c.x + 4, c.y + 4});
  }
  for (const map_board& b : f.boards) {
    const map_point c = view.at(b.position);
    svg.polygon({{c.x, c.y - 4}, {c.x + 4, c.y}, {c.x, c.y + 4}, {c.x - 4, c.y}},
                std::string("class=\"board\" fill=\"") + kBoardColor + "\" stroke=\"white\" stroke-width=\"0.8\"");
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

double draw_legend(svg_writer& svg, double top) {
  const double y = top + 18;
  double x = kMargin;
  const std::string font = std::string(kFont) + " font-size=\"11\" fill=\"#333\"";
  auto label = [&](const std::string& text) {
    svg.text({x, y + 4}, text, font);
    x += text_width(text, 11) + 22;
  };
  svg.open_group("class=\"legend\"");
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
  svg.polygon({{x + 4, y - 4}, {x + 8, y}, {x + 4, y + 4}, {x, y}}, std::string("fill=\"") + kBoardColor + "\"");
  x += 14;
  label("cartello indicatore");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kAltitudeColor + "\" stroke-width=\"2\"");
  x += 32;
  label("altitudine");
  svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kSpeedColor + "\" stroke-width=\"1.6\" stroke-dasharray=\"5 3\"");
  x += 32;
  label("velocit\xC3\xA0 massima");
  svg.close_group();
  return top + 34;
}

}  // namespace scenario::tool
