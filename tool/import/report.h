// What `scenario import` tells of its work: the JSON report written beside
// the definitions (NAME_import.json), which the drawings also read for the
// original track, and the summary on standard error.
#ifndef TOOL_IMPORT_REPORT_H_
#define TOOL_IMPORT_REPORT_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "tool/import/definitions_writer.h"
#include "tool/import/fit.h"
#include "tool/import/rail_graph.h"
#include "tool/import/track.h"

namespace scenario::tool::import {

struct import_summary {
  std::string source;   // the extract
  std::string from, to, via;  // as asked
  std::string elevation_source;  // Italian
  bool flat = false;             // no altitudes at all: the profile is level
  const track* route = nullptr;
  const rail_path* path = nullptr;
  const plan_fit* plan = nullptr;
  const profile_fit* profile = nullptr;
  const written_definitions* written = nullptr;
  std::vector<std::string> skipped;  // besides the track's and the writer's
  double seconds = 0;                // time of the import
};

// The least distance between two points of the report's track: with the
// longest route (1000 km) at most 200 001 points, well within what `map`
// and `serve` read again.
inline constexpr double kTrackPointSpacing = 5;  // m

// The report as JSON text (UTF-8).
std::string report_json(const import_summary& s);

// The summary, a few lines in Italian.
void print_summary(const import_summary& s, std::ostream& err);

// NAME_import.json
std::string report_name(const std::string& route);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_REPORT_H_
