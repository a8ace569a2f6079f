// What the route map and the live view show, read back from the compiled
// model: stations, tunnels, signals, slowdowns and name boards along the
// line, and the altitude profile.
#ifndef TOOL_MAP_FEATURES_H_
#define TOOL_MAP_FEATURES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace scenario::tool {

// What the picture shows, read back from the compiled model. Positions are
// metres from the start of the route; texts are ANSI bytes as stored.
struct map_station {
  std::string name;
  int32_t position = 0;
  int32_t start = 0;  // the station's stretch
  int32_t end = 0;
};
struct map_stretch {
  int32_t start = 0;
  int32_t end = 0;
  int32_t value = 0;  // tunnel: the type placed in its cells; slowdown: km/h
};
struct map_board {
  int32_t position = 0;
  std::string text;
};

struct map_features {
  int32_t length = 0;  // route length
  std::vector<map_station> stations;
  std::vector<map_stretch> tunnels;  // every tunnel record, as received
  std::vector<int32_t> signals;
  std::vector<map_stretch> slowdowns;
  std::vector<map_board> boards;
};

map_features read_map_features(const scenario_model& model);

// A board's text as a picture gives it: the board shows its parts in
// brackets padded to equal widths, "(MADONNA)(261 m. )"; this gives
// "MADONNA 261 m.".
std::string board_words(const std::string& text);

// Altitude in metres relative to the start at every 50 m, from 0 to the
// route length: the cells' gradients (per mille plus 100) summed.
std::vector<double> altitude_profile(const scenario_model& model);

}  // namespace scenario::tool

#endif  // TOOL_MAP_FEATURES_H_
