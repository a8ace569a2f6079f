// The nodes of the railway a place of the command line stands for: a stop
// named on the map, or a point given as "lat,lon".
#ifndef TOOL_IMPORT_PLACES_H_
#define TOOL_IMPORT_PLACES_H_

#include <optional>
#include <string>
#include <vector>

#include "tool/import/osm_data.h"
#include "tool/import/projection.h"
#include "tool/import/rail_graph.h"

namespace scenario::tool::import {

struct named_place {
  std::string word;  // as given
  std::string name;  // the stop's name on the map (UTF-8), or the word for a point
  geo_point at;
  bool point = false;  // given as "lat,lon"
};

struct found_place {
  std::optional<named_place> place;
  std::string error;  // in Italian, naming the place and the extract, when place is empty
};

// Finds `word` among the stops of `data` (or reads it as a point).
found_place find_place(const osm_extract& data, const std::string& word, const std::string& source);

// A point farther than this from every track is no place on the railway.
inline constexpr double kFarthestFromTrack = 1000;  // m

struct place_nodes {
  std::vector<uint32_t> nodes;  // empty when no track is near
  std::string error;
};

// The track nodes within `reach` metres of the place, or the nearest one
// when none is; an error when even that is farther than kFarthestFromTrack.
place_nodes nodes_of(const rail_graph& graph, const local_projection& projection, const named_place& place,
                     double reach);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_PLACES_H_
