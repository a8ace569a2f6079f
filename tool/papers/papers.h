// The driver's three papers for an author's definitions: the train card,
// the slowdown order and the scenario notes, in the layout of the built-in
// ones (documents/paper_layout.h), named as the program names its own.
//
// How the definitions are read:
// - A kilometre post comes from the line's kilometric progressions as the
//   compile keeps them (ordered, 100 m added where the flag says so): the
//   one that holds at a position is the one with the greatest start at or
//   before it (the first one before them all), and the kilometre changes
//   by one metre per metre of route from its value, falling unless
//   `kilometres_rise`. Without any progression the posts count the route's
//   metres from 0.
// - Times come from the timetable and the train's fastest run
//   (tool/railway/timetable.h): the first station departs at the report's
//   departure; at a stop the departure is the definition's time and the
//   arrival that time less the dwell, or, when the fastest run cannot be
//   there so early, the run's arrival (never after the departure); the last
//   station's time is its arrival (the run's arrival if it has none); a
//   station passed without a time is passed at the time of the fastest run,
//   stretched to the time the timetable leaves between the stops around it.
//   A time the run cannot give (a climb the train cannot make) is a blank
//   to fill by hand.
// - A slowdown lies in a station when its start falls within the station's
//   length around its position, else between the stations before and after
//   its start; it is contiguous with the one before when it starts no
//   more than a route cell (50 m) after that one's end (the compile keeps
//   one cell for the end of a slowdown and one for the start of the next).
#ifndef TOOL_PAPERS_PAPERS_H_
#define TOOL_PAPERS_PAPERS_H_

#include <optional>
#include <string>
#include <vector>

#include "model/loader.h"
#include "model/model.h"
#include "tool/railway/timetable.h"

namespace scenario::tool {

struct paper {
  std::string file_name;  // <route>_<train>_scheda_treno.txt and the others
  std::string bytes;      // Windows-1252, CR LF
};

struct papers_options {
  timetable_options timetable;        // the dwell and the train of the run the times come from
  bool kilometres_rise = false;       // kilometre posts grow along the route
  std::optional<std::string> notes;   // the author's notes (Windows-1252), else a summary of the scenario
};

// The notes, the slowdown order and the train card, in the order the
// program writes them. `model` and `records` from a check of the
// definitions without a fault (tool/definition_findings.h).
std::vector<paper> driver_papers(const scenario_model& model, const std::vector<loaded_record>& records,
                                 const papers_options& options);

// The kilometre post at `metre` as the card writes it ("73.370").
std::string kilometre_words(int64_t kilometre_m);
// The line's kilometre at route position `metre`, in metres.
int64_t kilometre_at(const scenario_model& model, int64_t metre, bool rising);

}  // namespace scenario::tool

#endif  // TOOL_PAPERS_PAPERS_H_
