// Where a drawing may be written: never over a file of the scenario, and
// over an existing file only when it is a drawing already (or empty).
#ifndef TOOL_MAP_SVG_OUTPUT_H_
#define TOOL_MAP_SVG_OUTPUT_H_

#include <string>

#include "tool/definitions.h"

namespace scenario::tool {

// Why the picture may not be written to `target`; empty when it may.
std::string svg_output_problem(const std::string& target, const definition_set& set);

}  // namespace scenario::tool

#endif  // TOOL_MAP_SVG_OUTPUT_H_
