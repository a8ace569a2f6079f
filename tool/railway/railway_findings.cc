#include "tool/railway/railway_findings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "model/record_fields.h"
#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

std::string whole(double v) { return std::to_string(std::lround(v)); }

// "2,9"; "3" for a whole number.
std::string one_decimal(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) return s.substr(0, s.size() - 2);
  if (const size_t dot = s.find('.'); dot != std::string::npos) s[dot] = ',';
  return s;
}

load_warning at_record(warning_kind kind, const loaded_record& r, std::string detail) {
  load_warning w{kind, {}, "", std::move(detail)};
  w.site.file = r.file;
  w.site.line = r.line;
  w.site.column = 1;
  return w;
}

const loaded_record* station_record(const std::vector<loaded_record>& records, int32_t line) {
  for (const loaded_record& r : records) {
    if (r.kind == record_object::station && r.line == line) return &r;
  }
  return nullptr;
}

void timetable_findings(const timetable_report& t, const std::vector<loaded_record>& records, double margin,
                        std::vector<load_warning>& out) {
  for (const timetable_section& s : t.sections) {
    const timetable_station& a = t.stations[s.from];
    const loaded_record* r = station_record(records, t.stations[s.to].line);
    // Times that go backwards have a warning of their own.
    if (r == nullptr || s.scheduled <= 0) continue;
    if (!std::isfinite(s.minimum())) {
      out.push_back(at_record(warning_kind::timetable_impossible, *r,
                              "da " + a.name + " il treno non arriva: una salita troppo ripida per la sua trazione o una "
                              "discesa troppo ripida per i suoi freni (massa frenata " + whole(t.braked_mass_percent) + " %)"));
    } else if (s.margin() < 0) {
      // The least time rounded up: never "6 min 0 s needed, 6 min 0 s given".
      out.push_back(at_record(warning_kind::timetable_impossible, *r,
                              "servono almeno " + duration_words(std::ceil(s.minimum())) + " da " + a.name +
                                  ", ne sono previsti " + duration_words(s.scheduled)));
    } else if (s.margin_percent() < margin) {
      out.push_back(at_record(warning_kind::timetable_tight, *r,
                              "da " + a.name + " servono almeno " + duration_words(std::ceil(s.minimum())) + ", ne sono previsti " +
                                  duration_words(s.scheduled) + ": margine " +
                                  one_decimal(std::floor(s.margin_percent() * 10) / 10) + " %, meno del " +
                                  one_decimal(margin) + " %"));
    }
  }
}

}  // namespace

double curve_speed(double radius, double cant, double cant_deficiency) {
  return std::sqrt(std::max(radius, 0.0) * std::max(cant + cant_deficiency, 0.0) / 11.8);
}

std::vector<load_warning> railway_findings(const std::vector<loaded_record>& records, const timetable_report& t,
                                           const railway_options& options) {
  std::vector<load_warning> out;
  timetable_findings(t, records, options.timetable.margin_warning, out);
  for (const loaded_record& r : records) {
    if (!r.whole) continue;
    if (r.kind == record_object::curve && r.numbers.size() >= 2 && r.numbers[1] > 0) {
      const curve_key key = read_curve_key(to_lower_ansi(r.key));
      if (key.curve_class < 1 || key.curve_class > 6) continue;
      const double radius = 1 / kCurveCurvature[key.curve_class - 1];
      const double allowed = curve_speed(radius, options.cant, options.cant_deficiency);
      // The highest limit on the curve, as far as the route goes.
      double limit = 0;
      const int64_t from = std::clamp<int64_t>(r.numbers[0], 0, t.line.length);
      const int64_t to = std::min<int64_t>(from + std::clamp<int64_t>(r.numbers[1], 0, t.line.length), t.line.length);
      for (int64_t m = from; m < to; m += 50) limit = std::max(limit, t.line.line_limit_at(static_cast<double>(m)));
      if (limit > allowed + 0.5) {
        out.push_back(at_record(warning_kind::curve_too_fast, r,
                                "il raggio di " + whole(radius) + " m ammette " + whole(std::floor(allowed)) +
                                    " km/h (sopraelevazione " + whole(options.cant) + " mm, insufficienza " +
                                    whole(options.cant_deficiency) + " mm), il limite e' " + whole(limit) + " km/h"));
      }
    } else if (r.kind == record_object::slowdown && r.numbers.size() >= 2 && r.numbers[0] >= kFirstWarnedSlowdown) {
      const double x = static_cast<double>(r.numbers[0]), to = static_cast<double>(r.numbers[1]);
      const double from = t.line.line_limit_at(x - 1);
      if (!(from > to)) continue;
      const double board = x - kWarningBoardDistance;
      // The gradient where the train brakes, on average between the board
      // and the slowdown.
      double gradient = 0;
      for (double m = board; m < x; m += 50) gradient += t.line.gradient_at(m) / (kWarningBoardDistance / 50.0);
      const double a = braking_deceleration(t.braked_mass_percent, gradient);
      const double v1 = from / 3.6, v2 = to / 3.6;
      const double needed = a > 0 ? (v1 * v1 - v2 * v2) / (2 * a) : INFINITY;
      if (needed > kWarningBoardDistance) {
        out.push_back(at_record(warning_kind::warning_board_too_near, r,
                                "il cartello sta " + whole(kWarningBoardDistance) + " m prima del rallentamento, per frenare da " +
                                    whole(from) + " a " + whole(to) + " km/h con massa frenata " +
                                    whole(t.braked_mass_percent) + " % ne servono " + whole(std::ceil(needed))));
      }
    }
  }
  return out;
}

}  // namespace scenario::tool
