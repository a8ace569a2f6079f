// The gradient profile of the route map: altitude, speed limit, stations,
// and the bands of tunnels and gradients under it.
#include <algorithm>
#include <cmath>

#include "tool/map/route_map_views.h"

namespace scenario::tool {
namespace {

std::string signed_number(int32_t v) { return v > 0 ? "+" + std::to_string(v) : std::to_string(v); }

}  // namespace

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
  svg.polygon(ground, "class=\"ground\" fill=\"#efe4d2\" stroke=\"none\"");

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
  // Slowdowns drawn into the speed line at their own speed.
  for (const map_stretch& sd : f.slowdowns) {
    const double y = vy(std::min<double>(sd.value, vtop));
    svg.polyline({{px(sd.start), vy(0)}, {px(sd.start), y}, {px(std::max(sd.end, sd.start + 50)), y},
                  {px(std::max(sd.end, sd.start + 50)), vy(0)}},
                 std::string("class=\"profile-slowdown\" fill=\"") + kSlowdownColor + "\" fill-opacity=\"0.25\" stroke=\"" +
                     kSlowdownColor + "\" stroke-width=\"1.6\"");
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

}  // namespace scenario::tool
