// The railway as a graph of its nodes, and the way a train takes between
// two places on it.
#ifndef TOOL_IMPORT_RAIL_GRAPH_H_
#define TOOL_IMPORT_RAIL_GRAPH_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tool/import/fit.h"
#include "tool/import/osm_data.h"
#include "tool/import/projection.h"

namespace scenario::tool::import {

struct rail_graph {
  struct edge {
    uint32_t from = 0;
    uint32_t to = 0;
    uint32_t way = 0;  // index into osm_extract::ways
    double length = 0;  // m
    bool from_way_end = false;  // `from` is the first or last node of the way
    bool to_way_end = false;
  };
  std::vector<int64_t> ids;       // node index to node id, ascending
  std::vector<track_xy> xy;       // node index to its place in metres
  std::vector<edge> edges;        // both directions of every stretch, grouped by `from`
  std::vector<uint32_t> first_out;  // node index to its first edge; one more entry at the end
  size_t gaps = 0;                // stretches left out because the extract lacks a node

  std::optional<uint32_t> index(int64_t id) const;
  // The node nearest `p` and its distance, or nothing for an empty graph.
  std::optional<std::pair<uint32_t, double>> nearest(track_xy p) const;
};

rail_graph build_rail_graph(const osm_extract& data, const local_projection& projection);

struct rail_path {
  std::vector<uint32_t> edges;  // in running order
  size_t switches = 0;          // switches passed (nodes where more tracks meet)
  size_t way_changes = 0;       // places where the path leaves a way in the middle
};

// The path of least cost from any of `from` to any of `to`. The cost is the
// length, weighted to prefer main lines (usage=main, no service=*), with a
// charge for leaving a way at a switch, so that the path keeps to one of two
// parallel tracks instead of zigzagging across crossovers; it never turns
// back. `arriving`, when given, is the edge the train comes in on (a stop
// on the way), which the first edge must continue. Nothing when no path
// exists.
std::optional<rail_path> shortest_path(const rail_graph& graph, const osm_extract& data,
                                       std::span<const uint32_t> from, std::span<const uint32_t> to,
                                       std::optional<uint32_t> arriving = std::nullopt);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_RAIL_GRAPH_H_
