#include "tool/map/features.h"

#include <algorithm>
#include <array>

#include "model/nearest.h"

namespace scenario::tool {
namespace {

// Point objects lie in cell(p) = nearest(p / 50 + 1).
int32_t position_of_cell(size_t cell) { return (static_cast<int32_t>(cell) - 1) * 50; }

}  // namespace

map_features read_map_features(const scenario_model& model) {
  map_features f;
  f.length = model.item_table[kTrainItem].end;
  const auto& cells = model.route_cells;

  std::array<bool, kItemCount> board_text{};
  for (size_t i = 0; i < cells.size(); ++i) {
    const route_cell& c = cells[i];
    if (c.kind == kIndicatorBoard && c.info1 >= 1 && c.info1 <= kFirstBoardItem) {
      board_text[static_cast<size_t>(c.info1)] = true;
      f.boards.push_back({position_of_cell(i), model.item_table[static_cast<size_t>(c.info1)].text});
    } else if (c.kind == kSignal) {
      f.signals.push_back(position_of_cell(i));
    } else if (c.kind == kSlowdownStart) {
      // Its own end, as the placement recorded it.
      const int32_t end = c.slowdown_end_cell >= 0 ? c.slowdown_end_cell : static_cast<int32_t>(i);
      f.slowdowns.push_back({position_of_cell(i), position_of_cell(static_cast<size_t>(end)), c.info1});
    }
  }
  // Stations fill the item table from entry 1 up, board texts from 80 down.
  for (size_t i = 1; i <= kFirstBoardItem && !board_text[i]; ++i) {
    const item_entry& e = model.item_table[i];
    if (e.kind == 0 && e.position == 0 && e.text.empty()) break;
    f.stations.push_back({e.text, e.position, e.start, e.end});
  }
  const int32_t tunnels = std::clamp<int32_t>(model.tunnel_count, 0, static_cast<int32_t>(model.tunnel_starts.size()) - 1);
  for (int32_t i = 1; i <= tunnels; ++i) {
    map_stretch t{model.tunnel_starts[static_cast<size_t>(i)], model.tunnel_ends[static_cast<size_t>(i)], 0};
    const int64_t first = nearest_whole(t.start / 50.0);
    if (first >= 0 && first < static_cast<int64_t>(cells.size())) t.value = cells[static_cast<size_t>(first)].tunnel_kind;
    f.tunnels.push_back(t);
  }
  return f;
}

std::vector<double> altitude_profile(const scenario_model& model) {
  const auto& cells = model.route_cells;
  const int64_t length = std::max(model.item_table[kTrainItem].end, 0);
  const auto count = static_cast<size_t>(std::clamp<int64_t>(length / 50, 0, static_cast<int64_t>(cells.size()) - 1));
  std::vector<double> altitude(count + 1, 0.0);
  for (size_t i = 0; i < count; ++i) {
    altitude[i + 1] = altitude[i] + (static_cast<int>(cells[i].gradient) - 100) * 50 / 1000.0;
  }
  return altitude;
}

std::string board_words(const std::string& text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == '(' || c == ')' || c == ' ' || c == '\t') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

}  // namespace scenario::tool
