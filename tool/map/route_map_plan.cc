// The ground plan of the route map, and the legend under it.
#include <algorithm>
#include <cmath>

#include "model/ansi_text.h"
#include "tool/map/plan_view.h"
#include "tool/map/route_map_views.h"

namespace scenario::tool {

double draw_plan(svg_writer& svg, const map_features& f, const scenario_model& model, double top,
                 const std::vector<plan_xy>& imported) {
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
  // The map's track an import fitted the plan to, over the bands and under
  // the compiled track, so that where the two part shows.
  if (!imported.empty()) {
    std::vector<map_point> points;
    points.reserve(imported.size());
    for (const plan_xy& p : imported) points.push_back(view.screen_point(p));
    svg.polyline(points, std::string("class=\"imported-track\" fill=\"none\" stroke=\"") + kImportedColor +
                             "\" stroke-width=\"5\" stroke-opacity=\"0.45\" stroke-linejoin=\"round\"");
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
    const std::string text = board_words(b.text);
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

double draw_legend(svg_writer& svg, double top, bool imported) {
  double y = top + 18;
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
  if (imported) {
    x = kMargin;
    y += 20;
    svg.line({x, y}, {x + 26, y}, std::string("stroke=\"") + kImportedColor + "\" stroke-width=\"5\" stroke-opacity=\"0.45\"");
    x += 32;
    label("binario della mappa da cui scenario import ha tratto le curve");
  }
  svg.close_group();
  return y + 16;
}

}  // namespace scenario::tool
