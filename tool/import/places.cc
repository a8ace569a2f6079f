#include "tool/import/places.h"

#include <cmath>
#include <set>

#include "tool/import/names.h"
#include "tool/import/stops.h"

namespace scenario::tool::import {

found_place find_place(const osm_extract& data, const std::string& word, const std::string& source) {
  if (const auto point = parse_point(word)) return {named_place{word, word, *point, true}, ""};
  const auto found = match_stops(data.stops, word);
  if (found.empty()) {
    std::string error = "nessuna stazione o fermata \"" + word + "\" in " + source;
    const auto near = nearest_names(data.stops, word, 5);
    if (near.empty()) {
      error += " (la mappa non ne nomina nessuna: dare il luogo come \"lat,lon\")";
    } else {
      error += "; le piu' simili:";
      for (size_t i = 0; i < near.size(); ++i) error += (i == 0 ? " " : ", ") + near[i];
    }
    return {std::nullopt, error};
  }
  std::set<std::string> names;
  for (const stop_node* s : found) names.insert(fold_name(s->name));
  if (names.size() > 1) {
    std::string error = "\"" + word + "\" in " + source + " puo' essere piu' di una fermata:";
    std::set<std::string> listed;
    for (const stop_node* s : found) {
      if (listed.insert(s->name).second) error += (listed.size() == 1 ? " " : ", ") + s->name;
    }
    return {std::nullopt, error + "; dare il nome intero"};
  }
  // A station's own node before its stop positions: it names the place.
  const stop_node* chosen = found.front();
  for (const stop_node* s : found) {
    if (s->kind != stop_kind::stop_position && chosen->kind == stop_kind::stop_position) chosen = s;
  }
  return {named_place{word, chosen->name, chosen->at, false}, ""};
}

place_nodes nodes_of(const rail_graph& graph, const local_projection& projection, const named_place& place,
                     double reach) {
  const track_xy p = projection.to_metres(place.at);
  const auto nearest = graph.nearest(p);
  if (!nearest || nearest->second > kFarthestFromTrack) {
    return {{}, "\"" + place.word + "\" e' a piu' di " + std::to_string(static_cast<int>(kFarthestFromTrack)) +
                    " m da ogni binario"};
  }
  place_nodes out;
  for (size_t i = 0; i < graph.xy.size(); ++i) {
    if (graph.first_out[i] == graph.first_out[i + 1]) continue;
    if (std::hypot(graph.xy[i].x - p.x, graph.xy[i].y - p.y) <= reach) out.nodes.push_back(static_cast<uint32_t>(i));
  }
  if (out.nodes.empty()) out.nodes.push_back(nearest->first);
  return out;
}

}  // namespace scenario::tool::import
