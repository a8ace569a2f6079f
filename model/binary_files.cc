#include "model/binary_files.h"

#include "model/coding.h"

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

void put_plan_run(std::string* b, const plan_points& plan, const std::vector<double>& coordinate,
                  const chunk_writer& out) {
  for (int32_t m = 0; m <= plan.last_point(); ++m) {
    const plan_element type = plan.type(m);
    put_u16(b, static_cast<uint16_t>(type));
    if (type == plan_element::integer) {
      put_i16(b, static_cast<int16_t>(coordinate[m]));
    } else if (type == plan_element::real) {
      put_f64(b, coordinate[m]);
    }
    flush_if_full(b, out);
  }
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
