#include "tool/map/run_diagrams.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tool/map/route_map_views.h"

namespace scenario::tool {
namespace {

constexpr double kLeft = 110, kRight = kWidth - 60;
constexpr double kNames = 130;  // room above the first plot for the station names
constexpr double kPlot = 260;
constexpr char kRunColor[] = "#1e64c8";
constexpr char kScheduleColor[] = "#c62828";

struct frame {
  double from, to;  // metres
  double x(double m) const { return kLeft + (kRight - kLeft) * (m - from) / std::max(to - from, 1.0); }
};

// Station lines across a plot, and the kilometre axis under it.
void stations_and_km(svg_writer& svg, const timetable_report& r, const frame& f, double top, double bottom) {
  for (const timetable_station& s : r.stations) {
    svg.line({f.x(s.position), top}, {f.x(s.position), bottom}, "stroke=\"#1f4e99\" stroke-opacity=\"0.35\"");
  }
  const double step = nice_step((f.to - f.from) / 10);
  const std::string font = std::string(kFont) + " font-size=\"10.5\" fill=\"#444\" text-anchor=\"middle\"";
  for (double m = std::ceil(f.from / step) * step; m <= f.to + 1e-6; m += step) {
    svg.line({f.x(m), bottom}, {f.x(m), bottom + 4}, "stroke=\"#444\"");
    svg.text({f.x(m), bottom + 16}, km_figure(m), font);
  }
  svg.text({kRight + 14, bottom + 16}, "km", std::string(kFont) + " font-size=\"10.5\" font-weight=\"bold\" fill=\"#444\"");
}

double speed_diagram(svg_writer& svg, const timetable_report& r, const frame& f, double top) {
  const double bottom = top + kPlot;
  double vmax = 20;
  for (double v : r.line.cell_limit) vmax = std::max(vmax, v);
  const double vtop = std::ceil(vmax * 1.15 / 20) * 20;
  auto y = [&](double kmh) { return bottom - kPlot * kmh / vtop; };
  const std::string font = std::string(kFont) + " font-size=\"10.5\" fill=\"#444\"";
  svg.text({kLeft, top - 8}, "Velocit\xC3\xA0 lungo la linea (km/h)", std::string(kFont) + " font-size=\"14\" font-weight=\"bold\" fill=\"#333\"");
  svg.rect({kLeft, top, kRight, bottom}, "fill=\"white\" stroke=\"#bbb\"");
  for (double v = 0; v <= vtop + 1e-9; v += 20) {
    svg.line({kLeft, y(v)}, {kRight, y(v)}, "stroke=\"#ececec\"");
    svg.text({kLeft - 6, y(v) + 3.5}, number(v, 0), font + " text-anchor=\"end\"");
  }
  stations_and_km(svg, r, f, top, bottom);
  // The limit and the slowdowns, a point per 10 m; the run, a point per
  // pixel at most.
  std::vector<map_point> limit, run;
  const double every = std::max(10.0, (f.to - f.from) / 4000);
  for (double m = f.from; m <= f.to; m += every) limit.push_back({f.x(m), y(r.line.limit_at(m))});
  svg.polyline(limit, std::string("fill=\"none\" stroke=\"") + kSpeedColor + "\" stroke-width=\"1.4\" stroke-dasharray=\"5 3\"");
  // Of each pixel's points the lowest and the highest, so that no stop
  // and no peak is lost.
  const size_t stride = std::max<size_t>(1, r.run.speed.size() / 2400);
  for (size_t i = 0; i < r.run.speed.size(); i += stride) {
    size_t lo = i, hi = i;
    for (size_t j = i; j < std::min(i + stride, r.run.speed.size()); ++j) {
      if (r.run.speed[j] < r.run.speed[lo]) lo = j;
      if (r.run.speed[j] > r.run.speed[hi]) hi = j;
    }
    for (size_t j : {std::min(lo, hi), std::max(lo, hi)}) run.push_back({f.x(r.run.metre(j)), y(r.run.speed[j] * 3.6)});
  }
  if (!r.run.speed.empty()) run.push_back({f.x(r.run.metre(r.run.speed.size() - 1)), y(r.run.speed.back() * 3.6)});
  svg.polyline(run, std::string("fill=\"none\" stroke=\"") + kRunColor + "\" stroke-width=\"2\"");
  for (const run_line::restriction& s : r.line.restrictions) {
    svg.line({f.x(s.from), y(s.kmh)}, {f.x(s.to), y(s.kmh)}, std::string("stroke=\"") + kSlowdownColor + "\" stroke-width=\"4\"");
  }
  return bottom + 26;
}

double time_diagram(svg_writer& svg, const timetable_report& r, const frame& f, double top) {
  const double bottom = top + kPlot + 60;
  // Minutes from the departure, growing downwards as on a timetable.
  double last = 60;
  for (const timetable_station& s : r.stations) {
    if (s.time > 0 && s.time_valid) last = std::max(last, static_cast<double>(s.time - r.departure));
  }
  std::vector<map_point> run;
  // The run's time from the departure, standing at each stop for its dwell.
  size_t next_stop = 0;
  const size_t stride = std::max<size_t>(1, r.run.time.size() / 4000);
  std::vector<std::pair<double, double>> points;  // metre, seconds
  for (size_t i = 0; i < r.run.time.size(); i += stride) {
    const double m = r.run.metre(i);
    while (next_stop < r.sections.size() && r.stations[r.sections[next_stop].to].position <= m) {
      const double stop = r.stations[r.sections[next_stop++].to].position;
      points.push_back({stop, r.elapsed(stop, false)});
      points.push_back({stop, r.elapsed(stop, true)});
    }
    points.push_back({m, r.elapsed(m, true)});
  }
  for (const auto& p : points) last = std::max(last, std::isfinite(p.second) ? p.second : 0.0);
  const double tstep = nice_step(last / 60 / 8) * 60;
  const double ttop = std::ceil(last / tstep) * tstep;
  auto y = [&](double s) { return top + (bottom - top) * std::clamp(s, 0.0, ttop) / ttop; };
  const std::string font = std::string(kFont) + " font-size=\"10.5\" fill=\"#444\"";
  svg.text({kLeft, top - 8}, "Tempo lungo la linea: orario (rosso) e corsa pi\xC3\xB9 veloce (blu)",
           std::string(kFont) + " font-size=\"14\" font-weight=\"bold\" fill=\"#333\"");
  svg.rect({kLeft, top, kRight, bottom}, "fill=\"white\" stroke=\"#bbb\"");
  // Round times of day: the first after the departure, then every step.
  const double first = std::ceil(r.departure / tstep) * tstep - r.departure;
  for (double t = first; t <= ttop + 1e-9; t += tstep) {
    svg.line({kLeft, y(t)}, {kRight, y(t)}, "stroke=\"#ececec\"");
    svg.text({kLeft - 6, y(t) + 3.5}, clock_words(r.departure + t), font + " text-anchor=\"end\"");
  }
  stations_and_km(svg, r, f, top, bottom);
  for (const auto& p : points) run.push_back({f.x(p.first), y(p.second)});
  svg.polyline(run, std::string("fill=\"none\" stroke=\"") + kRunColor + "\" stroke-width=\"2\"");
  std::vector<map_point> schedule = {{f.x(r.stations.front().position), y(0)}};
  for (const timetable_section& s : r.sections) {
    const timetable_station& b = r.stations[s.to];
    if (!b.time_valid) continue;  // a time that is none is not drawn
    schedule.push_back({f.x(b.position), y(b.time - r.departure)});
  }
  svg.polyline(schedule, std::string("fill=\"none\" stroke=\"") + kScheduleColor + "\" stroke-width=\"1.6\"");
  for (const map_point& p : schedule) svg.circle(p, 3, std::string("fill=\"") + kScheduleColor + "\"");
  return bottom + 26;
}

}  // namespace

std::string run_diagrams_svg(const timetable_report& r, const std::string& title) {
  svg_writer svg;
  if (r.stations.empty()) return "";
  const frame f{static_cast<double>(r.stations.front().position), static_cast<double>(r.stations.back().position)};
  svg.text({kMargin, 30}, xml_escaped(title), std::string(kFont) + " font-size=\"17\" font-weight=\"bold\" fill=\"#222\"");
  // Station names upright above the first plot; one too close to the
  // name before is left out.
  double before = -1e9;
  const std::string font = std::string(kFont) + " font-size=\"10.5\" fill=\"#1f4e99\"";
  for (const timetable_station& s : r.stations) {
    const double x = f.x(s.position);
    if (x - before < 13) continue;
    before = x;
    svg.text({x + 4, 40 + kNames}, xml_escaped(s.name), font + " transform=\"rotate(-90 " + number(x + 4) + " " + number(40 + kNames) + ")\"");
  }
  double y = speed_diagram(svg, r, f, 60 + kNames);
  y = time_diagram(svg, r, f, y + 40);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         number(kWidth) + "\" height=\"" + number(y + 10) + "\" viewBox=\"0 0 " + number(kWidth) + " " + number(y + 10) +
         "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#fafaf7\"/>\n" + svg.out + "</svg>\n";
}

}  // namespace scenario::tool
