// Can the train keep its timetable? The stations and their times from the
// train definition, the fastest run between them (tool/railway/run.h) and,
// for each section between two stations with a time, the time scheduled
// against the least it needs.
//
// How the definitions are read: a station's time is its departure, the
// last station's its arrival (the built-in card shows the same). The run
// stops at every station with a time and stands there `dwell` seconds,
// which the later station's time includes. A first station whose time is
// before the scenario clock's start departs at the clock's start.
#ifndef TOOL_RAILWAY_TIMETABLE_H_
#define TOOL_RAILWAY_TIMETABLE_H_

#include <cstdint>
#include <string>
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
  int32_t time = 0;       // s after midnight; 0: none
  int32_t line = 0;       // of its record in the train definition
};

struct timetable_section {
  size_t from = 0, to = 0;  // into stations
  double scheduled = 0;     // s
  double running = 0;       // s, the fastest run
  double dwell = 0;         // s at the later station
  double minimum() const { return running + dwell; }
  double margin() const { return scheduled - minimum(); }
  double margin_percent() const { return minimum() > 0 ? margin() / minimum() * 100 : 0; }
};

struct timetable_report {
  run_line line;
  double braked_mass_percent = 0;
  int32_t departure = 0;  // s after midnight, from the first station
  std::vector<timetable_station> stations;  // in running order
  run_profile run;                          // from the first station to the last
  std::vector<timetable_section> sections;

  // Seconds from the departure to `metre`: the run's time and the dwell
  // at each stop before it, and at a stop there too when `leaving`.
  double elapsed(double metre, bool leaving) const;
};

// `records` and `model` from a check of the definitions without a fault.
timetable_report timetable_of(const scenario_model& model, const std::vector<loaded_record>& records,
                              timetable_options options);

// "7 min 12 s", "45 s", "1 h 02 min 05 s".
std::string duration_words(double seconds);
// "9.21", "10.13" as the card writes a time of day; "9.24+" for a half.
std::string clock_words(double seconds);

}  // namespace scenario::tool

#endif  // TOOL_RAILWAY_TIMETABLE_H_
