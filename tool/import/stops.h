// Finding the places `scenario import` is asked for: a stop by its name,
// or a point given as "lat,lon".
#ifndef TOOL_IMPORT_STOPS_H_
#define TOOL_IMPORT_STOPS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/import/osm_data.h"

namespace scenario::tool::import {

// "43.7389,7.4196" (latitude, longitude in degrees), or nothing when
// `word` is not two numbers in range.
std::optional<geo_point> parse_point(std::string_view word);

// Why `word`, two numbers with a comma between them, is no place on Earth
// (a latitude or longitude out of range, not a number, infinite), in
// Italian; nothing for a point in range or a word that is not two numbers.
std::optional<std::string> point_problem(std::string_view word);

// The stops named `name`, ignoring case, accents and punctuation: those
// whose whole name matches, or, when none does, those whose name holds it
// as whole words ("monaco" finds "Monaco - Monte Carlo").
std::vector<const stop_node*> match_stops(const std::vector<stop_node>& stops, std::string_view name);

// The distinct names of the stops closest to `name` in spelling, at most
// `count`, closest first: what to offer when nothing matches.
std::vector<std::string> nearest_names(const std::vector<stop_node>& stops, std::string_view name, size_t count);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_STOPS_H_
