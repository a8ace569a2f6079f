// Can the train keep its timetable? The stations and their times from the
// train definition, the fastest run between them (tool/railway/run.h) and,
// for each section between two stations with a time, the time scheduled
// against the least it needs.
//
// How the definitions are read: a station's time is its departure, the
// last station's its arrival (the built-in card shows the same). The run
// stops at every station with a time and stands there `dwell` seconds,
// which the later station's time includes. A first station whose time is
// before the scenario clock's start departs at the clock's start. A time
// more than 12 hours before the one of the station before is on the next
// day: the train runs past midnight.
//
// A figure that does not exist is never computed with: a station time
// that is no time of day (minutes 69) leaves its sections without a
// figure, and so does a point the train cannot pass (`run_obstacle`):
// every section that ends beyond it.
#ifndef TOOL_RAILWAY_TIMETABLE_H_
#define TOOL_RAILWAY_TIMETABLE_H_

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/loader.h"
#include "model/model.h"
#include "tool/railway/run.h"
#include "tool/railway/train_model.h"

namespace scenario::tool {

struct timetable_options {
  train_model train;              // its braked-mass percentage comes from the definitions, if they have one
  double dwell = 30;              // s at each intermediate stop
  double margin_warning = 3;      // per cent of the minimum: less is worth a warning
  double step = 1;                // metres between the run's points
};

struct timetable_station {
  std::string name;       // UTF-8
  int32_t position = 0;   // metres
  int32_t time = 0;       // s after midnight of the departure's day; 0: none or not valid
  int32_t line = 0;       // of its record in the train definition
  int32_t time_column = 1;  // of its hours field, 1 when unknown
  bool time_valid = true;   // false: hours above 23, minutes or seconds above 59, or below 0
  std::string time_as_written;  // "9.69.00" when not valid
};

// A point of the line the train cannot pass, and the record that puts it
// there. Its words name the cause (tool/railway/railway_findings).
struct run_obstacle {
  enum class cause {
    brakes,        // a descent steeper than the brakes can hold
    climb,         // a climb steeper than the traction can pull up from standing
    zero_limit,    // a speed limit of 0 km/h or less
    zero_slowdown  // a slowdown of 0 km/h or less
  };
  cause what = cause::brakes;
  double metre = 0;
  double figure = 0;  // the gradient in per mille, or the speed in km/h
  definition_file file = definition_file::none;
  int32_t line = 0;   // of the record: gradient, speed limit or slowdown
  int32_t more = 0;   // brakes, climb: further gradient records beyond with the same cause
};

// Why a section has no figure.
enum class section_gap {
  none,
  time_not_valid,  // a time at either end is no time of day
  backwards,       // the later station's time is not after the earlier one's
  blocked,         // it ends beyond the obstacle
};

struct timetable_section {
  size_t from = 0, to = 0;  // into stations
  double scheduled = 0;     // s
  double running = 0;       // s, the fastest run
  double dwell = 0;         // s at the later station
  section_gap gap = section_gap::none;
  bool computed() const { return gap == section_gap::none; }
  // The scheduled time is a duration: both times are times of day, the
  // later one after the earlier.
  bool has_schedule() const { return gap != section_gap::time_not_valid && gap != section_gap::backwards; }
  double minimum() const { return running + dwell; }
  // The least time as told, rounded up to the whole second: a least time
  // rounded down would be one the train cannot make. Every margin and
  // verdict is taken from it, so what is told adds up.
  double shown_minimum() const { return std::ceil(minimum() - 1e-6); }
  double margin() const { return scheduled - shown_minimum(); }
  // Tenths of a per cent, rounded down: never a margin above what it is.
  double margin_percent() const {
    return shown_minimum() > 0 ? std::floor(margin() / shown_minimum() * 1000 + 1e-9) / 10 : 0;
  }
};

struct timetable_report {
  run_line line;
  double braked_mass_percent = 0;
  int32_t departure = 0;  // s after midnight, from the first station
  std::vector<timetable_station> stations;  // in running order
  run_profile run;                          // from the first station to the last
  std::vector<timetable_section> sections;
  std::optional<run_obstacle> obstacle;     // the first the run meets
  int32_t braked_mass_line = 0;             // of the braked-mass record; 0: none, the default holds

  // Seconds from the departure to `metre`: the run's time and the dwell
  // at each stop before it, and at a stop there too when `leaving`.
  double elapsed(double metre, bool leaving) const;
};

// `records` and `model` from a check of the definitions without a fault;
// `train_text` the train definition, for the place of the braked-mass
// record and of the station times' fields.
timetable_report timetable_of(const scenario_model& model, const std::vector<loaded_record>& records,
                              timetable_options options, std::string_view train_text = {});

// The one way a duration is told: "7 min 12 s", "45 s", "1 h 02 min 05 s",
// rounded half up to the whole second. A least time is rounded up before
// (timetable_section::shown_minimum), so that check, orario and the papers
// tell the same figure. Not finite: "non calcolabile".
std::string duration_words(double seconds);
// "9.21", "10.13" as the card writes a time of day; "9.24+" for a half.
std::string clock_words(double seconds);

}  // namespace scenario::tool

#endif  // TOOL_RAILWAY_TIMETABLE_H_
