#include "tool/railway/timetable.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "model/ansi_text.h"
#include "model/record_scan.h"

namespace scenario::tool {
namespace {

// The fields of a station record: position, kind, length, S1 to S10,
// hours, minutes, seconds.
constexpr size_t kHours = 13, kMinutes = 14, kSeconds = 15;

// Where the braked-mass record and each station's hours field stand in
// the train definition.
struct train_places {
  int32_t braked_mass_line = 0;
  std::map<int32_t, int32_t> hours_column;  // by the line of a station's key
};

train_places places_in(std::string_view train_text) {
  train_places p;
  if (train_text.empty()) return p;
  for (const scanned_key& k : scan_records(train_text, definition_file::train)) {
    if (k.role != key_role::record || k.kinds.empty()) continue;
    if (k.kinds[0]->id == record_id::braked_mass) p.braked_mass_line = k.key.begin.line;
    if (k.kinds[0]->id == record_id::station && k.fields.size() > kHours) {
      p.hours_column[k.key.begin.line] = k.fields[kHours].begin.column;
    }
  }
  return p;
}

// A field as read can hold any 64-bit number: bounded before any sum.
int64_t bounded_field(const loaded_record& rec, size_t i) {
  return std::clamp<int64_t>(rec.numbers[i], -1'000'000'000, 1'000'000'000);
}

std::string two_digits(int64_t v) { return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v); }

// The gradient record in force at `metre`: the last one at or before it.
const loaded_record* gradient_record(const std::vector<loaded_record>& records, double metre) {
  const loaded_record* found = nullptr;
  for (const loaded_record& r : records) {
    if (r.whole && r.kind == record_object::gradient && !r.numbers.empty() && static_cast<double>(r.numbers[0]) <= metre) {
      found = &r;
    }
  }
  return found;
}

// The first point between `from` and `to` the train cannot pass: a
// descent its brakes cannot hold, a climb it cannot start on, a speed
// limit or slowdown of 0 km/h or less.
std::optional<run_obstacle> first_obstacle(const timetable_report& r, const std::vector<loaded_record>& records,
                                           const train_model& train, double from, double to) {
  std::optional<run_obstacle> first;
  auto consider = [&first](const run_obstacle& o) {
    if (!first || o.metre < first->metre) first = o;
  };
  auto field = [](const loaded_record& rec, size_t i) { return static_cast<double>(bounded_field(rec, i)); };
  for (const loaded_record& rec : records) {
    if (!rec.whole || rec.numbers.size() < 2) continue;
    if (rec.kind == record_object::speed && field(rec, 1) <= 0 && field(rec, 0) < to) {
      consider({run_obstacle::cause::zero_limit, std::max(field(rec, 0), from), field(rec, 1), rec.file, rec.line, 0});
    } else if (rec.kind == record_object::slowdown && rec.numbers.size() >= 3 && field(rec, 1) <= 0 &&
               field(rec, 0) < to && field(rec, 0) + field(rec, 2) > from) {
      consider({run_obstacle::cause::zero_slowdown, std::max(field(rec, 0), from), field(rec, 1), rec.file, rec.line, 0});
    }
  }
  // The gradients, a cell of 50 m at a time; further records with the
  // same cause are counted.
  for (const auto what : {run_obstacle::cause::brakes, run_obstacle::cause::climb}) {
    std::optional<run_obstacle> o;
    int32_t last_line = 0;
    for (size_t c = 0; c < r.line.cell_gradient.size(); ++c) {
      const double cell_from = static_cast<double>(c) * 50;
      if (cell_from + 50 <= from || cell_from >= to) continue;
      const double g = r.line.cell_gradient[c];
      const bool stuck = what == run_obstacle::cause::brakes ? braking_deceleration(train.braked_mass_percent, g) <= 0
                                                             : traction_acceleration(train, 0, g) <= 0;
      if (!stuck) continue;
      const double metre = std::max(cell_from, from);
      const loaded_record* rec = gradient_record(records, metre);
      const int32_t line = rec != nullptr ? rec->line : 0;
      if (!o) {
        o = run_obstacle{what, metre, g, rec != nullptr ? rec->file : definition_file::line, line, 0};
      } else if (line != last_line) {
        ++o->more;
      }
      last_line = line;
    }
    if (o) consider(*o);
  }
  return first;
}

}  // namespace

timetable_report timetable_of(const scenario_model& model, const std::vector<loaded_record>& records,
                              timetable_options options, std::string_view train_text) {
  timetable_report r;
  const train_places places = places_in(train_text);
  r.braked_mass_line = places.braked_mass_line;
  r.line.length = model.item_table[kTrainItem].end;
  const size_t cells = std::min(model.route_cells.size(), static_cast<size_t>(std::max(r.line.length, 0) / 50 + 1));
  for (size_t i = 0; i < cells; ++i) {
    r.line.cell_limit.push_back(model.route_cells[i].speed_limit * 5.0);
    r.line.cell_gradient.push_back(static_cast<int>(model.route_cells[i].gradient) - 100.0);
  }
  for (const loaded_record& rec : records) {
    if (!rec.whole) continue;
    auto field = [&rec](size_t i) { return bounded_field(rec, i); };
    if (rec.kind == record_object::slowdown && rec.numbers.size() >= 3) {
      // A slowdown of 0 km/h or less is a point the train cannot pass, not a limit.
      if (field(1) <= 0) continue;
      r.line.restrictions.push_back({static_cast<int32_t>(field(0)), static_cast<int32_t>(field(0) + field(2)),
                                     static_cast<double>(field(1))});
    } else if (rec.kind == record_object::station && rec.numbers.size() > kSeconds) {
      const int64_t h = field(kHours), m = field(kMinutes), sec = field(kSeconds);
      const bool valid = h >= 0 && h <= 23 && m >= 0 && m <= 59 && sec >= 0 && sec <= 59;
      timetable_station st;
      st.name = ansi_to_utf8(rec.text);
      st.position = static_cast<int32_t>(field(0));
      st.time = valid ? static_cast<int32_t>((h * 60 + m) * 60 + sec) : 0;
      st.line = rec.line;
      st.time_valid = valid;
      if (!valid) {
        st.time_as_written = std::to_string(h) + "." + two_digits(m) + "." + two_digits(sec);
      }
      if (const auto column = places.hours_column.find(rec.line); column != places.hours_column.end()) {
        st.time_column = column->second;
      }
      r.stations.push_back(std::move(st));
    }
  }
  // Past midnight: a time far before the one before is on the next day.
  int32_t day = 0, before = -1;
  for (timetable_station& st : r.stations) {
    if (!st.time_valid || st.time == 0) continue;
    if (before >= 0 && st.time + day < before - 12 * 3600) day += 86400;
    st.time += day;
    before = st.time;
  }
  // Without a braked-mass record the train brakes as the model's default.
  const int32_t braked = model.item_table[kTrainItem].start;
  r.braked_mass_percent = braked > 0 ? braked : options.train.braked_mass_percent;
  options.train.braked_mass_percent = r.braked_mass_percent;
  if (r.stations.empty()) return r;

  const item_entry& clock = model.item_table[kRepeatItem];
  const int32_t start = (clock.num3 * 60 + clock.num4) * 60 + clock.num5;
  const timetable_station& first = r.stations.front();
  r.departure = first.time_valid ? std::max(first.time, start) : start;

  const double from = first.position, to = r.stations.back().position;
  r.obstacle = first_obstacle(r, records, options.train, from, to);
  // The run goes as far as the train can: to a stop before an obstacle.
  const double run_to = r.obstacle ? std::max(r.obstacle->metre, from) : to;
  std::vector<double> stops;
  std::vector<size_t> timed = {0};
  for (size_t i = 1; i < r.stations.size(); ++i) {
    // A time that is none is still a stop the author meant.
    if (r.stations[i].time == 0 && r.stations[i].time_valid && i + 1 < r.stations.size()) continue;
    timed.push_back(i);
    if (r.stations[i].position < run_to) stops.push_back(r.stations[i].position);
  }
  r.run = fastest_run(r.line, options.train, from, run_to, stops, options.step);
  for (size_t k = 0; k + 1 < timed.size(); ++k) {
    const timetable_station& a = r.stations[timed[k]];
    const timetable_station& b = r.stations[timed[k + 1]];
    if (b.time == 0 && b.time_valid) continue;  // a last station without a time: nothing to keep
    timetable_section s;
    s.from = timed[k];
    s.to = timed[k + 1];
    s.dwell = timed[k + 1] + 1 < r.stations.size() ? options.dwell : 0;
    if (!a.time_valid || !b.time_valid) {
      s.gap = section_gap::time_not_valid;
    } else {
      s.scheduled = b.time - (k == 0 ? r.departure : a.time);
      if (s.scheduled <= 0) s.gap = section_gap::backwards;
    }
    if (r.obstacle && b.position > run_to) {
      if (s.gap == section_gap::none) s.gap = section_gap::blocked;
    } else {
      s.running = r.run.time_at(b.position) - r.run.time_at(a.position);
      if (!std::isfinite(s.running) && s.gap == section_gap::none) s.gap = section_gap::blocked;
    }
    if (!s.computed()) s.running = 0;
    r.sections.push_back(s);
  }
  return r;
}

double timetable_report::elapsed(double metre, bool leaving) const {
  double t = run.time_at(metre);
  for (const timetable_section& s : sections) {
    const double stop = stations[s.to].position;
    if (stop < metre || (leaving && stop == metre)) t += s.dwell;
  }
  return t;
}

std::string duration_words(double seconds) {
  // Beyond a year no duration of a timetable: no figure at all.
  if (!std::isfinite(seconds) || std::fabs(seconds) > 366.0 * 86400) return "non calcolabile";
  const auto total = static_cast<int64_t>(std::floor(std::fabs(seconds) + 0.5));
  const int64_t h = total / 3600, m = total / 60 % 60, s = total % 60;
  auto two = [](int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  std::string out = seconds < 0 ? "-" : "";
  if (h > 0) return out + std::to_string(h) + " h " + two(m) + " min " + two(s) + " s";
  if (m > 0) return out + std::to_string(m) + " min " + std::to_string(s) + " s";
  return out + std::to_string(s) + " s";
}

std::string clock_words(double seconds) {
  const auto half_minutes = static_cast<int64_t>(std::floor(seconds / 30));
  const int64_t minutes = half_minutes / 2;
  const int64_t h = minutes / 60 % 24, m = minutes % 60;
  return std::to_string(h) + "." + (m < 10 ? "0" : "") + std::to_string(m) + (half_minutes % 2 != 0 ? "+" : "");
}

}  // namespace scenario::tool
