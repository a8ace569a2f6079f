// The route plan file: how many elements of each type each coordinate run
// holds, and the points every M metres, in words, CSV or JSON.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "tool/dump/views.h"
#include "tool/report_json.h"

namespace scenario::tool {
namespace {

// A Double as its shortest text that reads back the same.
std::string exact(double v) {
  std::array<char, 32> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  return std::string(buf.data(), r.ptr);
}

std::string value_text(const plan_value& v, bool for_people) {
  switch (v.type) {
    case plan_element::empty: return for_people ? "vuoto" : "";
    case plan_element::integer: return std::to_string(static_cast<int>(v.value));
    case plan_element::real: {
      if (!for_people) return exact(v.value);
      // To the thousandth, every digit: a Double read from a file can reach
      // 309 digits before the point.
      std::array<char, 320> buf{};
      const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v.value, std::chars_format::fixed, 3);
      return std::string(buf.data(), r.ptr);
    }
  }
  return "";
}

nlohmann::ordered_json json_value(const plan_value& v) {
  if (v.type == plan_element::empty || !std::isfinite(v.value)) return nullptr;
  return v.value;
}

// The metres shown: every `step` metres within the stretch asked for.
template <typename Visit>
void each_metre(const decoded_plan& plan, const dump_options& o, size_t step, Visit visit) {
  const size_t first = o.from ? static_cast<size_t>(std::max(*o.from, 0)) : 0;
  for (size_t m = first; m < plan.x.size(); m += step) {
    if (o.to && static_cast<int64_t>(m) > *o.to) break;
    visit(m);
  }
}

}  // namespace

void dump_plan(const std::string& path, const decoded_plan& plan, const dump_options& o, std::ostream& out) {
  // Points are listed when asked for: every M metres, or in a stretch.
  const size_t step = static_cast<size_t>(o.every > 0 ? o.every : 1);
  const bool points = o.every > 0 || o.stretch();
  switch (o.form) {
    case dump_form::text:
      out << "tracciato di " << path << ": " << plan.x.size() << " elementi per coordinata (metri 0-"
          << plan.x.size() - 1 << ")\n";
      for (const auto& [name, run] : {std::pair{"x", &plan.x}, std::pair{"y", &plan.y}}) {
        const plan_element_counts n = count_elements(*run);
        out << name << ": " << n.integer << " interi, " << n.real << " Double, " << n.empty << " vuoti\n";
      }
      if (!points) return;
      out << "metro  x  y\n";
      each_metre(plan, o, step, [&](size_t m) {
        out << m << "  " << value_text(plan.x[m], true) << "  " << value_text(plan.y[m], true) << "\n";
      });
      break;
    case dump_form::csv:
      out << "metre,x,y\n";
      each_metre(plan, o, step, [&](size_t m) {
        out << m << "," << value_text(plan.x[m], false) << "," << value_text(plan.y[m], false) << "\n";
      });
      break;
    case dump_form::json: {
      nlohmann::ordered_json report;
      report["file"] = path;
      report["type"] = "route_plan";
      report["elements_per_run"] = plan.x.size();
      for (const auto& [name, run] : {std::pair{"x", &plan.x}, std::pair{"y", &plan.y}}) {
        const plan_element_counts n = count_elements(*run);
        report[name] = {{"empty", n.empty}, {"integer", n.integer}, {"double", n.real}};
      }
      if (points) {
        report["every"] = step;
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        each_metre(plan, o, step, [&](size_t m) { list.push_back({m, json_value(plan.x[m]), json_value(plan.y[m])}); });
        report["points"] = list;
      }
      print_json(out, report);
      break;
    }
  }
}

}  // namespace scenario::tool
