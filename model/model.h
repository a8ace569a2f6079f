// The compiled scenario: route cells, route plan, item table and identity,
// held as plain data. The loader, the placement procedures, the
// post-processing and the writers all take it by reference.
#ifndef MODEL_MODEL_H_
#define MODEL_MODEL_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/findings.h"
#include "model/identity.h"

namespace scenario {

// Kinds of route cell. 0 and 11 are free for every placement.
enum cell_kind : uint8_t {
  kEmpty = 0,
  kSignal = 1,
  kSlowdownEnd = 2,
  kSlowdownStart = 3,
  kWarningBoard = 4,
  kWarningApproach = 5,
  kSpeedBoard = 6,
  kStopCell = 10,
  kTunnelMarker = 11,
  kCodePoint = 12,
  kCodeCut = 13,
  kIndicatorBoard = 14,
};

// One record per 50 m of route.
struct route_cell {
  uint8_t kind = 0;
  int16_t info1 = 0;
  int16_t info2 = 0;
  int16_t info3 = 0;
  int16_t info4 = 0;
  uint8_t signal_time = 0;
  uint8_t approach_mark = 0;
  uint8_t tunnel_kind = 0;
  uint8_t speed_limit = 0;
  uint8_t gradient = 0;
  uint8_t adhesion = 0;
  // Not stored in any file: on a slowdown start, the cell its own end was
  // placed in (the start's own cell when both fell into one, and the
  // slowdown has no end cell of its own); -1 elsewhere.
  int32_t slowdown_end_cell = -1;
  // Not stored in any file either: the record whose object holds the cell
  // (for a code point the post-processing adds, the slowdown or signal it
  // serves), and for such a code point put below the cell it was looking
  // for, the record holding the cell it passed over. Faults name them.
  record_place placed_by;
  record_place pushed_by;
};

inline bool is_free(const route_cell& c) { return c.kind == kEmpty || c.kind == kTunnelMarker; }

// One entry of the item table. `text` holds ANSI (Windows-1252) bytes.
struct item_entry {
  uint8_t kind = 0;
  int32_t start = 0;
  int32_t end = 0;
  int32_t position = 0;
  uint8_t flag1 = 0;
  std::string text;
  int16_t num1 = 0;
  int16_t num2 = 0;
  int16_t num3 = 0;
  int16_t num4 = 0;
  int16_t num5 = 0;
  uint8_t byte1 = 0;
  uint8_t byte2 = 0;
  uint8_t byte3 = 0;
  uint8_t byte4 = 0;
  int32_t time_s = 0;
};

inline constexpr int kItemCount = 87;  // entries 0 to 86
inline constexpr int kFirstBoardItem = 80;
inline constexpr int kProgressionTre = 81;
inline constexpr int kProgressionDue = 82;
inline constexpr int kProgressionUno = 83;
inline constexpr int kTrainItem = 84;     // braked mass, route length, cars
inline constexpr int kRouteItem = 85;     // backgrounds, route name, marks
inline constexpr int kRepeatItem = 86;    // signal repetition, train number

// Type codes of a route plan element as the plan file stores them.
enum class plan_element : uint16_t { empty = 0, integer = 2, real = 5 };

// One stretch of the route plan: the points up to, not including, `end`
// that follow the one before with the same curvature (0: straight).
struct plan_stretch {
  int32_t end = 0;
  double curvature = 0.0;
};

// The route plan, one point per metre, 0 to last_point(), held as what
// defines it rather than as its points: the two start points and the
// stretches of equal curvature in the order the loader computed them, from
// point 2 up to `computed_end`. Elements from `computed_end` on are empty.
// model/plan_generator.h computes the points from it.
struct plan_points {
  bool sized = false;
  int32_t points = 0;        // extended_length + 1 once sized
  bool start_set = false;    // points 0 and 1 hold the 16-bit start values
  int32_t computed_end = 2;  // one past the last computed point
  std::vector<plan_stretch> stretches;  // ends ascending, the last one computed_end

  int32_t last_point() const { return points - 1; }
  plan_element type(int32_t m) const {
    if (m < 2) return start_set ? plan_element::integer : plan_element::empty;
    return m < computed_end ? plan_element::real : plan_element::empty;
  }
};

struct scenario_model {
  // The route name and train number every file is named from.
  scenario_identity identity;

  int32_t line_mode = 0;
  int32_t extended_length = 0;
  int32_t last_cell = -1;

  std::vector<route_cell> route_cells;  // empty until the route length is read
  plan_points plan;
  std::array<item_entry, kItemCount> item_table{};

  // Tunnel records as received, from index 1; serve only the gap test.
  std::array<int32_t, 81> tunnel_starts{};
  std::array<int32_t, 81> tunnel_ends{};
  int32_t tunnel_count = 0;
};

}  // namespace scenario

#endif  // MODEL_MODEL_H_
