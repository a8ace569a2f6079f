#include "tool/railway/timetable.h"

#include <algorithm>
#include <cmath>

#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

// The fields of a station record: position, kind, length, S1 to S10,
// hours, minutes, seconds.
constexpr size_t kHours = 13, kMinutes = 14, kSeconds = 15;

}  // namespace

timetable_report timetable_of(const scenario_model& model, const std::vector<loaded_record>& records,
                              timetable_options options) {
  timetable_report r;
  r.line.length = model.item_table[kTrainItem].end;
  const size_t cells = std::min(model.route_cells.size(), static_cast<size_t>(std::max(r.line.length, 0) / 50 + 1));
  for (size_t i = 0; i < cells; ++i) {
    r.line.cell_limit.push_back(model.route_cells[i].speed_limit * 5.0);
    r.line.cell_gradient.push_back(static_cast<int>(model.route_cells[i].gradient) - 100.0);
  }
  for (const loaded_record& rec : records) {
    if (!rec.whole) continue;
    // Fields as read can hold any 64-bit number: bounded before any sum.
    auto field = [&rec](size_t i) { return std::clamp<int64_t>(rec.numbers[i], -1'000'000'000, 1'000'000'000); };
    if (rec.kind == record_object::slowdown && rec.numbers.size() >= 3) {
      r.line.restrictions.push_back({static_cast<int32_t>(field(0)), static_cast<int32_t>(field(0) + field(2)),
                                     static_cast<double>(field(1))});
    } else if (rec.kind == record_object::station && rec.numbers.size() > kSeconds) {
      const int64_t time = (field(kHours) * 60 + field(kMinutes)) * 60 + field(kSeconds);
      r.stations.push_back({ansi_to_utf8(rec.text), static_cast<int32_t>(field(0)),
                            static_cast<int32_t>(std::clamp<int64_t>(time, 0, 7 * 86400)), rec.line});
    }
  }
  // Without a braked-mass record the train brakes as the model's default.
  const int32_t braked = model.item_table[kTrainItem].start;
  r.braked_mass_percent = braked > 0 ? braked : options.train.braked_mass_percent;
  options.train.braked_mass_percent = r.braked_mass_percent;
  if (r.stations.empty()) return r;

  const item_entry& clock = model.item_table[kRepeatItem];
  const int32_t start = (clock.num3 * 60 + clock.num4) * 60 + clock.num5;
  r.departure = std::max(r.stations.front().time, start);

  std::vector<double> stops;
  std::vector<size_t> timed = {0};
  for (size_t i = 1; i < r.stations.size(); ++i) {
    if (r.stations[i].time == 0 && i + 1 < r.stations.size()) continue;
    timed.push_back(i);
    stops.push_back(r.stations[i].position);
  }
  r.run = fastest_run(r.line, options.train, r.stations.front().position, r.stations.back().position, stops,
                      options.step);
  for (size_t k = 0; k + 1 < timed.size(); ++k) {
    const timetable_station& a = r.stations[timed[k]];
    const timetable_station& b = r.stations[timed[k + 1]];
    if (b.time == 0) continue;  // a last station without a time: nothing to keep
    timetable_section s;
    s.from = timed[k];
    s.to = timed[k + 1];
    s.scheduled = b.time - (k == 0 ? r.departure : a.time);
    s.running = r.run.time_at(b.position) - r.run.time_at(a.position);
    s.dwell = timed[k + 1] + 1 < r.stations.size() ? options.dwell : 0;
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
  if (!std::isfinite(seconds)) return "un tempo infinito";
  const auto total = static_cast<int64_t>(std::llround(std::fabs(seconds)));
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
