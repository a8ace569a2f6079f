// The run of a train drawn as two diagrams along the line: speed against
// distance (the speed limit, the slowdowns and the fastest run) and time
// against distance (the timetable against the fastest run with its stops),
// the stations on the distance axis of both.
#ifndef TOOL_MAP_RUN_DIAGRAMS_H_
#define TOOL_MAP_RUN_DIAGRAMS_H_

#include <string>

#include "tool/railway/timetable.h"

namespace scenario::tool {

// One SVG document; `title` is UTF-8.
std::string run_diagrams_svg(const timetable_report& r, const std::string& title);

}  // namespace scenario::tool

#endif  // TOOL_MAP_RUN_DIAGRAMS_H_
