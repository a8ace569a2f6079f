#include "model/binary_files.h"

#include <algorithm>
#include <vector>

#include "model/coding.h"
#include "model/plan_generator.h"

namespace scenario {
namespace {

// Encoders fill a buffer and hand it on in chunks of about this size, so a
// file of any length is written without being held whole in memory.
constexpr size_t kChunk = 1 << 16;

void flush_if_full(std::string* buffer, const chunk_writer& out) {
  if (buffer->size() >= kChunk) {
    out(*buffer);
    buffer->clear();
  }
}

void put_cell(std::string* b, const route_cell& c) {
  put_u8(b, c.kind);
  put_i16(b, c.info1);
  put_i16(b, c.info2);
  put_i16(b, c.info3);
  put_i16(b, c.info4);
  put_u8(b, c.signal_time);
  put_u8(b, c.approach_mark);
  put_u8(b, c.tunnel_kind);
  put_u8(b, c.speed_limit);
  put_u8(b, c.gradient);
  put_u8(b, c.adhesion);
}

void put_item(std::string* b, const item_entry& e) {
  put_u8(b, e.kind);
  put_i32(b, e.start);
  put_i32(b, e.end);
  put_i32(b, e.position);
  put_u8(b, e.flag1);
  put_u16(b, static_cast<uint16_t>(e.text.size()));
  b->append(e.text);
  put_i16(b, e.num1);
  put_i16(b, e.num2);
  put_i16(b, e.num3);
  put_i16(b, e.num4);
  put_i16(b, e.num5);
  put_u8(b, e.byte1);
  put_u8(b, e.byte2);
  put_u8(b, e.byte3);
  put_u8(b, e.byte4);
  put_i32(b, e.time_s);
}

// One element at a time, for the two start points.
void put_plan_element(std::string* b, plan_element type, double value) {
  put_u16(b, static_cast<uint16_t>(type));
  if (type == plan_element::integer) {
    put_i16(b, static_cast<int16_t>(value));
  } else if (type == plan_element::real) {
    put_f64(b, value);
  }
}

constexpr size_t kRealBytes = 10;   // type code and Double
constexpr size_t kEmptyBytes = 2;   // type code alone
constexpr size_t kIntegerBytes = 4;  // type code and 16-bit integer
// Points computed and encoded at a time: 256 KiB of each run.
constexpr int32_t kPiecePoints = 26214;
// Pieces end where a page of the file ends, so the system never writes a
// page twice: about a tenth less work for it on a whole plan.
constexpr uint64_t kPageBytes = 4096;

// The plan is nearly all of the output: its Doubles are laid into the
// buffer directly, a piece at a time, instead of byte by byte.
void put_reals(std::string* b, const double* v, int32_t n) {
  const size_t at = b->size();
  b->resize(at + static_cast<size_t>(n) * kRealBytes);
  char* p = b->data() + at;
  for (int32_t i = 0; i < n; ++i, p += kRealBytes) {
    encode_u16(p, static_cast<uint16_t>(plan_element::real));
    encode_f64(p + 2, v[i]);
  }
}

// Encodes the x run, the y run or both in one pass of the generator. Each
// run's pieces go to `out` with their offset in the file: the x run starts
// at 0, the y run right after it.
void encode_plan_runs(const plan_points& plan, bool x_run, bool y_run, const piece_writer& out) {
  const int32_t points = std::max(plan.last_point() + 1, 0);
  const uint64_t run_bytes = route_plan_run_bytes(plan);
  struct run {
    bool wanted;
    int coordinate;
    uint64_t offset;
    std::string bytes;
  } runs[2] = {{x_run, 0, 0, {}}, {y_run, 1, run_bytes, {}}};
  // Hands on what a run holds up to its last whole page (everything, at
  // the end of the run) and keeps the rest for the next piece.
  std::string rest;
  const auto flush = [&](run& r, bool run_ends) {
    if (!r.wanted || r.bytes.empty()) return;
    const uint64_t end = r.offset + r.bytes.size();
    const uint64_t page_end = end - end % kPageBytes;
    const size_t cut = run_ends ? r.bytes.size() : static_cast<size_t>(page_end > r.offset ? page_end - r.offset : 0);
    if (cut == 0) return;
    rest.assign(r.bytes, cut);
    r.bytes.resize(cut);
    const uint64_t at = r.offset;
    r.offset += cut;
    out(at, r.bytes);
    // Room for the rest and a whole piece, so the buffer never grows
    // while it is filled; a buffer given back by `out` has it already.
    r.bytes.reserve(kPageBytes + kPiecePoints * kRealBytes);
    r.bytes.assign(rest);
  };
  for (run& r : runs) {
    if (r.wanted) r.bytes.reserve(kPageBytes + kPiecePoints * kRealBytes);
  }
  int32_t m = 0;
  for (; m < points && m < 2; ++m) {
    for (run& r : runs) {
      if (r.wanted) put_plan_element(&r.bytes, plan.type(m), r.coordinate == 0 ? kPlanStart[m].x : kPlanStart[m].y);
    }
  }
  const int32_t reals_end = std::max(m, std::min(plan.computed_end, points));
  if (m < reals_end) {
    plan_generator g(plan);
    // Points are computed a few at a time into these and encoded at once,
    // until a piece is full.
    constexpr int32_t kBatch = 2048;
    std::vector<double> x(kBatch), y(kBatch);
    while (m < reals_end) {
      const int32_t piece_end = m + std::min(kPiecePoints, reals_end - m);
      while (m < piece_end) {
        const int32_t n = g.compute(x.data(), y.data(), std::min(kBatch, piece_end - m));
        if (n == 0) break;
        if (runs[0].wanted) put_reals(&runs[0].bytes, x.data(), n);
        if (runs[1].wanted) put_reals(&runs[1].bytes, y.data(), n);
        m += n;
      }
      if (m < piece_end) break;
      flush(runs[0], false);
      flush(runs[1], false);
    }
  }
  while (m < points) {
    const int32_t n = std::min(kPiecePoints, points - m);
    for (run& r : runs) {
      if (r.wanted) r.bytes.append(static_cast<size_t>(n) * kEmptyBytes, '\0');  // type code 0, nothing after it
    }
    m += n;
    flush(runs[0], false);
    flush(runs[1], false);
  }
  flush(runs[0], true);
  flush(runs[1], true);
}

std::string collect(void (*encode)(const scenario_model&, const chunk_writer&), const scenario_model& model) {
  std::string all;
  encode(model, [&](std::string_view chunk) { all.append(chunk); });
  return all;
}

}  // namespace

void encode_route_cells(const scenario_model& model, const chunk_writer& out) {
  std::string b;
  b.reserve(kChunk + kCellBytes);
  for (const route_cell& c : model.route_cells) {
    put_cell(&b, c);
    flush_if_full(&b, out);
  }
  if (!b.empty()) out(b);
}

void encode_item_table(const scenario_model& model, const chunk_writer& out) {
  std::string b;
  for (const item_entry& e : model.item_table) put_item(&b, e);
  out(b);
}

uint64_t route_plan_run_bytes(const plan_points& plan) {
  const int32_t points = std::max(plan.last_point() + 1, 0);
  uint64_t bytes = 0;
  for (int32_t m = 0; m < points && m < 2; ++m) {
    bytes += plan.type(m) == plan_element::integer ? kIntegerBytes : kEmptyBytes;
  }
  const auto reals = static_cast<uint64_t>(std::max(std::min(plan.computed_end, points) - 2, 0));
  const auto empties = static_cast<uint64_t>(std::max(points - 2, 0)) - reals;
  return bytes + reals * kRealBytes + empties * kEmptyBytes;
}

void encode_route_plan(const scenario_model& model, const chunk_writer& out) {
  // Two passes, as the file wants every x before the first y.
  const piece_writer in_order = [&](uint64_t, std::string& bytes) { out(bytes); };
  encode_plan_runs(model.plan, true, false, in_order);
  encode_plan_runs(model.plan, false, true, in_order);
}

void encode_route_plan_pieces(const plan_points& plan, const piece_writer& out) {
  encode_plan_runs(plan, true, true, out);
}

std::string route_cells_bytes(const scenario_model& model) { return collect(encode_route_cells, model); }
std::string item_table_bytes(const scenario_model& model) { return collect(encode_item_table, model); }
std::string route_plan_bytes(const scenario_model& model) { return collect(encode_route_plan, model); }

}  // namespace scenario
