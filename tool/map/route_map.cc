#include "tool/map/route_map.h"

#include <algorithm>
#include <cmath>

#include "tool/map/route_map_views.h"

namespace scenario::tool {

// A step of 1, 2 or 5 times a power of ten near `raw`.
double nice_step(double raw) {
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (f * p >= raw) return f * p;
  }
  return 10 * p;
}

std::string km_figure(double metres) {
  std::string s = decimal_comma(std::round(metres) / 1000, 3);
  if (s.find(',') == std::string::npos) return s;
  while (s.back() == '0') s.pop_back();
  if (s.back() == ',') s.pop_back();
  return s;
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

std::string route_map_svg(const scenario_model& model, const std::vector<plan_xy>& imported) {
  const map_features f = read_map_features(model);
  svg_writer body;

  std::string title = model.identity.route_name;
  std::replace(title.begin(), title.end(), '_', ' ');
  body.text({kMargin, 38}, xml_text(title) + " \xE2\x80\x94 treno " + xml_text(model.identity.train_number),
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

  const double plan_bottom = draw_plan(body, f, model, kPlanTop, imported);
  const double legend_bottom = draw_legend(body, plan_bottom + 6, !imported.empty());
  const double bottom = draw_profile(body, f, model, legend_bottom + 34);
  const double height = std::ceil(bottom + 16);

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kWidth) + "\" height=\"" + number(height) +
         "\" viewBox=\"0 0 " + number(kWidth) + " " + number(height) + "\">\n";
  svg += "<title>" + xml_text(title) + " \xE2\x80\x94 treno " + xml_text(model.identity.train_number) + "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += body.out;
  svg += "</svg>\n";
  return svg;
}


}  // namespace scenario::tool
