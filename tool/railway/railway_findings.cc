#include "tool/railway/railway_findings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "model/record_fields.h"
#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

std::string whole(double v) { return std::isfinite(v) && std::fabs(v) < 1e15 ? std::to_string(std::llround(v)) : "?"; }

// "2,9"; "3" for a whole number.
std::string one_decimal(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) return s.substr(0, s.size() - 2);
  if (const size_t dot = s.find('.'); dot != std::string::npos) s[dot] = ',';
  return s;
}

// A warning at the first column of the record on `line` of `file`; every
// member given, so that no compiler takes one for unset.
load_warning at_line(warning_kind kind, definition_file file, int32_t line, std::string detail) {
  return load_warning{kind, source_site{file, line, 1, std::string()}, std::string(), std::move(detail)};
}

load_warning at_record(warning_kind kind, const loaded_record& r, std::string detail) {
  return at_line(kind, r.file, r.line, std::move(detail));
}

const loaded_record* station_record(const std::vector<loaded_record>& records, int32_t line) {
  for (const loaded_record& r : records) {
    if (r.kind == record_object::station && r.line == line) return &r;
  }
  return nullptr;
}

// The braked mass and where it comes from: the cause an author mends.
std::string braked_mass_words(const timetable_report& t, const railway_options& options) {
  std::string words = "massa frenata " + whole(t.braked_mass_percent) + " %";
  if (t.braked_mass_line > 0) {
    return words + " (" + options.train_file + ", riga " + std::to_string(t.braked_mass_line) + ")";
  }
  return words + " (il valore predefinito: la definizione del treno non ha il record della massa frenata)";
}

// The point the train cannot pass, told at the record that puts it there.
std::string words_of(const run_obstacle& o, const timetable_report& t, const railway_options& options) {
  const std::string where = "da " + whole(o.metre) + " m";
  std::string words;
  switch (o.what) {
    case run_obstacle::cause::brakes:
      words = "con " + braked_mass_words(t, options) + " il treno non si ferma in discesa del " + whole(-o.figure) +
              " per mille (" + where + ")";
      break;
    case run_obstacle::cause::climb:
      words = "il treno non riparte da fermo in salita del " + whole(o.figure) + " per mille (" + where +
              "): la sua trazione non basta";
      break;
    case run_obstacle::cause::zero_limit:
      words = "con un limite di " + whole(o.figure) + " km/h " + where + " il treno non puo' muoversi";
      break;
    case run_obstacle::cause::zero_slowdown:
      words = "un rallentamento a " + whole(o.figure) + " km/h " + where + " ferma il treno";
      break;
  }
  if (o.more > 0) {
    words += ", e cosi' su " + std::string(o.more == 1 ? "un'altra pendenza" : std::to_string(o.more) + " altre pendenze") +
             " piu' avanti";
  }
  return words + ": nessuna tratta oltre si puo' calcolare";
}

void timetable_findings(const timetable_report& t, const std::vector<loaded_record>& records,
                        const railway_options& options, std::vector<load_warning>& out) {
  const double margin = options.timetable.margin_warning;
  // A time that is no time of day, at its field: nothing is computed with it.
  for (const timetable_station& st : t.stations) {
    if (st.time_valid) continue;
    const loaded_record* r = station_record(records, st.line);
    if (r == nullptr) continue;
    load_warning w = at_record(warning_kind::timetable_impossible, *r,
                               "l'orario " + st.time_as_written + " di " + st.name +
                                   " non e' un'ora del giorno (ore da 0 a 23, minuti e secondi da 0 a 59): le tratte "
                                   "da e per questa stazione non si calcolano");
    w.site.column = st.time_column;
    out.push_back(std::move(w));
  }
  bool blocked = false;
  for (const timetable_section& s : t.sections) {
    const timetable_station& a = t.stations[s.from];
    const loaded_record* r = station_record(records, t.stations[s.to].line);
    // Times that go backwards have a warning of their own, times that are
    // none the finding above, a point the train cannot pass the one below.
    if (r == nullptr || !s.has_schedule()) continue;
    if (s.gap == section_gap::blocked) {
      if (!t.obstacle && !blocked) {
        out.push_back(at_record(warning_kind::timetable_impossible, *r,
                                "da " + a.name + " il treno non arriva: nessuna tratta oltre si puo' calcolare"));
      }
      blocked = true;
    } else if (s.margin() < 0) {
      out.push_back(at_record(warning_kind::timetable_impossible, *r,
                              "servono almeno " + duration_words(s.shown_minimum()) + " da " + a.name +
                                  ", ne sono previsti " + duration_words(s.scheduled)));
    } else if (s.margin_percent() < margin) {
      out.push_back(at_record(warning_kind::timetable_tight, *r,
                              "da " + a.name + " servono almeno " + duration_words(s.shown_minimum()) +
                                  ", ne sono previsti " + duration_words(s.scheduled) + ": margine " +
                                  one_decimal(s.margin_percent()) + " %, meno del " + one_decimal(margin) + " %"));
    }
  }
  if (blocked && t.obstacle) {
    out.push_back(at_line(warning_kind::timetable_impossible, t.obstacle->file, t.obstacle->line,
                          words_of(*t.obstacle, t, options)));
  }
}

}  // namespace

std::string section_gap_words(const timetable_report& t, const timetable_section& s) {
  const timetable_station &a = t.stations[s.from], &b = t.stations[s.to];
  switch (s.gap) {
    case section_gap::none: return "";
    case section_gap::time_not_valid: {
      const timetable_station& bad = a.time_valid ? b : a;
      return "l'orario di " + bad.name + " (" + bad.time_as_written + ") non e' un'ora del giorno";
    }
    case section_gap::backwards: return "l'orario di " + b.name + " non e' dopo quello di " + a.name;
    case section_gap::blocked:
      return t.obstacle ? "il treno non passa oltre " + whole(t.obstacle->metre) + " m" : "il treno non arriva";
  }
  return "";
}

std::string obstacle_words(const timetable_report& t, const railway_options& options) {
  return t.obstacle ? words_of(*t.obstacle, t, options) : "";
}

double curve_speed(double radius, double cant, double cant_deficiency) {
  return std::sqrt(std::max(radius, 0.0) * std::max(cant + cant_deficiency, 0.0) / 11.8);
}

std::vector<load_warning> railway_findings(const std::vector<loaded_record>& records, const timetable_report& t,
                                           const railway_options& options) {
  std::vector<load_warning> out;
  timetable_findings(t, records, options, out);
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
      // A slowdown of 0 km/h or less: the train brakes to a stop.
      const double stop = std::max(to, 0.0);
      const std::string what = "il cartello sta " + whole(kWarningBoardDistance) + " m prima del rallentamento";
      if (!(a > 0)) {
        out.push_back(at_record(warning_kind::warning_board_too_near, r,
                                what + ", ma con " + braked_mass_words(t, options) +
                                    " il treno non frena in discesa del " + whole(-gradient) + " per mille"));
        continue;
      }
      const double v1 = from / 3.6, v2 = stop / 3.6;
      const double needed = (v1 * v1 - v2 * v2) / (2 * a);
      if (needed > kWarningBoardDistance) {
        out.push_back(at_record(warning_kind::warning_board_too_near, r,
                                what + ", per frenare da " + whole(from) + " a " + whole(stop) + " km/h con " +
                                    braked_mass_words(t, options) + " ne servono " + whole(std::ceil(needed))));
      }
    }
  }
  return out;
}

}  // namespace scenario::tool
