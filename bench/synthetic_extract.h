// A generated map extract for timing `scenario import`: a winding
// railway of a given length among a field of untagged nodes and roads
// that pad the file to the size of a regional extract.
#ifndef BENCH_SYNTHETIC_EXTRACT_H_
#define BENCH_SYNTHETIC_EXTRACT_H_

#include <cstdint>
#include <string>

namespace scenario::bench {

// Writes `path` (.osm.pbf): the line runs `length_m` metres from a station
// "Origine" to a station "Termine"; `padding_nodes` nodes in roads of 50
// make up the rest of the file.
void write_synthetic_extract(const std::string& path, double length_m, int64_t padding_nodes);

}  // namespace scenario::bench

#endif  // BENCH_SYNTHETIC_EXTRACT_H_
