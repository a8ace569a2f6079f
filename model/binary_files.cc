#include "model/binary_files.h"

#include "model/coding.h"

#include <algorithm>
#include <bit>

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

// The plan is nearly all of the output: its runs of Doubles and of empty
// elements are laid into the buffer directly, a chunk at a time, instead of
// byte by byte.
void put_plan_run(std::string* b, const plan_points& plan, const std::vector<double>& coordinate,
                  const chunk_writer& out) {
  constexpr size_t kReal = 10, kEmpty = 2;
  const int32_t points = plan.last_point() + 1;
  int32_t m = 0;
  for (; m < points && m < 2; ++m) put_plan_element(b, plan.type(m), coordinate[m]);
  const int32_t reals_end = std::max(m, std::min(plan.computed_end, points));
  while (m < reals_end) {
    flush_if_full(b, out);
    const size_t at = b->size();
    const int32_t n = static_cast<int32_t>(std::min<size_t>((kChunk + kReal - 1 - at) / kReal + 1,
                                                            static_cast<size_t>(reals_end - m)));
    b->resize(at + static_cast<size_t>(n) * kReal);
    char* p = b->data() + at;
    for (int32_t i = 0; i < n; ++i, ++m, p += kReal) {
      const uint64_t bits = std::bit_cast<uint64_t>(coordinate[m]);
      p[0] = static_cast<char>(plan_element::real);
      p[1] = 0;
      for (int k = 0; k < 8; ++k) p[2 + k] = static_cast<char>((bits >> (8 * k)) & 0xff);
    }
  }
  while (m < points) {
    flush_if_full(b, out);
    const size_t n = std::min<size_t>((kChunk - b->size()) / kEmpty + 1, static_cast<size_t>(points - m));
    b->append(n * kEmpty, '\0');  // type code 0, nothing after it
    m += static_cast<int32_t>(n);
  }
  flush_if_full(b, out);
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

void encode_route_plan(const scenario_model& model, const chunk_writer& out) {
  std::string b;
  b.reserve(kChunk + 10);
  put_plan_run(&b, model.plan, model.plan.x, out);
  put_plan_run(&b, model.plan, model.plan.y, out);
  if (!b.empty()) out(b);
}

std::string route_cells_bytes(const scenario_model& model) { return collect(encode_route_cells, model); }
std::string item_table_bytes(const scenario_model& model) { return collect(encode_item_table, model); }
std::string route_plan_bytes(const scenario_model& model) { return collect(encode_route_plan, model); }

}  // namespace scenario
