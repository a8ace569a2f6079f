// Byte layouts of the three compiled files. No header, count, terminator
// or padding: a reader derives every count from the file size or by
// walking the records. All numbers little-endian (model/coding.h).
//
// Route cells, <route>_<train>.dat: cells 0..last_cell, 15 bytes each.
//   0 kind u8 | 1 info1 i16 | 3 info2 i16 | 5 info3 i16 | 7 info4 i16 |
//   9 signal_time u8 | 10 approach_mark u8 | 11 tunnel_kind u8 |
//   12 speed_limit u8 | 13 gradient u8 | 14 adhesion u8
//
// Item table, <route>_<train>.sim: entries 0..86, 34 + n bytes each.
//   0 kind u8 | 1 start i32 | 5 end i32 | 9 position i32 | 13 flag1 u8 |
//   14 n u16 | 16 text (n ANSI bytes) | 16+n num1..num5 i16 |
//   26+n byte1 byte2 byte3 byte4 u8 | 30+n time_s i32
//
// Route plan, <route>_linea.dat (line mode only): all x for metres
// 0..extended_length, then all y; each element a u16 type code followed by
// nothing (0, empty), an i16 (2, integer) or a binary64 (5, Double). The
// size of each run follows from the plan alone (route_plan_run_bytes), so
// the y run's place is known before its first point is computed.
#ifndef MODEL_BINARY_FILES_H_
#define MODEL_BINARY_FILES_H_

#include <cstdint>
#include <string>

#include "model/model.h"
#include "model/output_files.h"

namespace scenario {

inline constexpr int kCellBytes = 15;
inline constexpr int kItemFixedBytes = 34;

void encode_route_cells(const scenario_model& model, const chunk_writer& out);
void encode_item_table(const scenario_model& model, const chunk_writer& out);
// The route plan file in order: the generator runs twice, once for each run.
// Not used to write the file (encode_route_plan_pieces is): kept as the
// plain reference the tests, the fuzz targets and the benchmarks hold the
// pieces to.
void encode_route_plan(const scenario_model& model, const chunk_writer& out);

// Bytes of one run of the route plan file; the file holds two.
uint64_t route_plan_run_bytes(const plan_points& plan);
// The route plan file in one pass of the generator: a piece of the x run,
// then the piece of the y run computed with it, and so on, each with its
// offset in the file. Together the pieces cover the file once.
void encode_route_plan_pieces(const plan_points& plan, const piece_writer& out);

// Whole files as strings, for tests and small tools; route_plan_bytes is
// the route plan's reference, as encode_route_plan.
std::string route_cells_bytes(const scenario_model& model);
std::string item_table_bytes(const scenario_model& model);
std::string route_plan_bytes(const scenario_model& model);

}  // namespace scenario

#endif  // MODEL_BINARY_FILES_H_
