#include "model/binary_decode.h"

#include "model/binary_files.h"
#include "model/coding.h"

namespace scenario {
namespace {

// The bytes not yet read, and how far into the file they begin. The get_*
// helpers leave the view as it was when a field is short, so after a failed
// read offset() is where that field begins.
class cursor {
 public:
  explicit cursor(std::string_view bytes) : size_(bytes.size()), rest_(bytes) {}

  size_t offset() const { return size_ - rest_.size(); }
  size_t left() const { return rest_.size(); }

  bool read(uint8_t* v) { return get_u8(&rest_, v); }
  bool read(uint16_t* v) { return get_u16(&rest_, v); }
  bool read(int16_t* v) { return get_i16(&rest_, v); }
  bool read(int32_t* v) { return get_i32(&rest_, v); }
  bool read(double* v) { return get_f64(&rest_, v); }
  template <typename... T>
  bool read_all(T*... v) {
    return (read(v) && ...);
  }
  // The caller has checked that `n` bytes are left.
  std::string_view take(size_t n) {
    const std::string_view part = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return part;
  }

 private:
  size_t size_;
  std::string_view rest_;
};

[[noreturn]] void fail(size_t offset, const std::string& message) { throw decode_failure(offset, message); }

std::string entry_name(int index) { return "voce " + std::to_string(index); }

void read_item(cursor& in, int index, item_entry* e) {
  uint16_t length = 0;
  if (!in.read_all(&e->kind, &e->start, &e->end, &e->position, &e->flag1, &length)) {
    fail(in.offset(), entry_name(index) + " incompleta");
  }
  if (in.left() < length) {
    fail(in.offset(), "testo della " + entry_name(index) + " incompleto: " + std::to_string(length) +
                          " byte attesi, " + std::to_string(in.left()) + " presenti");
  }
  e->text = std::string(in.take(length));
  if (!in.read_all(&e->num1, &e->num2, &e->num3, &e->num4, &e->num5, &e->byte1, &e->byte2, &e->byte3, &e->byte4,
                   &e->time_s)) {
    fail(in.offset(), entry_name(index) + " incompleta dopo il testo");
  }
}

void read_plan_element(cursor& in, size_t serial, plan_value* v) {
  const size_t start = in.offset();
  const std::string element = "elemento " + std::to_string(serial);
  uint16_t type = 0;
  if (!in.read(&type)) fail(start, element + " incompleto: manca il codice di tipo");
  switch (static_cast<plan_element>(type)) {
    case plan_element::empty:
      *v = plan_value{};
      return;
    case plan_element::integer: {
      int16_t value = 0;
      if (!in.read(&value)) fail(start, "valore intero dell'" + element + " incompleto");
      *v = plan_value{plan_element::integer, static_cast<double>(value)};
      return;
    }
    case plan_element::real: {
      double value = 0.0;
      if (!in.read(&value)) fail(start, "valore Double dell'" + element + " incompleto");
      *v = plan_value{plan_element::real, value};
      return;
    }
  }
  fail(start, "codice di tipo " + std::to_string(type) + " sconosciuto nell'" + element);
}

}  // namespace

std::vector<route_cell> decode_route_cells(std::string_view bytes) {
  if (bytes.empty()) fail(0, "file vuoto, nessuna cella");
  const size_t whole = bytes.size() / kCellBytes;
  if (bytes.size() % kCellBytes != 0) {
    fail(whole * kCellBytes,
                "la cella " + std::to_string(whole) + " e' incompleta: " + std::to_string(bytes.size() % kCellBytes) +
                    " byte su " + std::to_string(kCellBytes));
  }
  std::vector<route_cell> cells(whole, route_cell{});
  cursor in(bytes);
  for (route_cell& c : cells) {
    // The size has been checked: every read succeeds.
    in.read_all(&c.kind, &c.info1, &c.info2, &c.info3, &c.info4, &c.signal_time, &c.approach_mark, &c.tunnel_kind,
                &c.speed_limit, &c.gradient, &c.adhesion);
  }
  return cells;
}

std::array<item_entry, kItemCount> decode_item_table(std::string_view bytes) {
  std::array<item_entry, kItemCount> items;
  cursor in(bytes);
  for (int i = 0; i < kItemCount; ++i) read_item(in, i, &items[static_cast<size_t>(i)]);
  if (in.left() != 0) {
    fail(in.offset(), std::to_string(in.left()) + " byte in piu' dopo la " + entry_name(kItemCount - 1) + ", l'ultima");
  }
  return items;
}

plan_element_counts count_elements(const std::vector<plan_value>& run) {
  plan_element_counts counts;
  for (const plan_value& v : run) {
    switch (v.type) {
      case plan_element::empty: ++counts.empty; break;
      case plan_element::integer: ++counts.integer; break;
      case plan_element::real: ++counts.real; break;
    }
  }
  return counts;
}

decoded_plan decode_route_plan(std::string_view bytes) {
  if (bytes.empty()) fail(0, "file vuoto, nessun punto");
  std::vector<plan_value> all;
  std::vector<size_t> offsets;
  cursor in(bytes);
  while (in.left() != 0) {
    plan_value v;
    offsets.push_back(in.offset());
    read_plan_element(in, all.size(), &v);
    all.push_back(v);
  }
  // x and y are two runs of one length; an odd count means an element is
  // missing, which can only be noticed where the file ends.
  if (all.size() % 2 != 0) {
    fail(bytes.size(),
                "numero dispari di elementi (" + std::to_string(all.size()) + "): le serie x e y non hanno la stessa lunghezza");
  }
  const size_t half = all.size() / 2;
  // Every metre has one type for both coordinates; a run shifted against
  // the other shows an element lost or added on the way.
  for (size_t m = 0; m < half; ++m) {
    if (all[m].type != all[half + m].type) {
      fail(offsets[half + m],
                  "al metro " + std::to_string(m) + " x e y hanno tipi diversi: le due serie non si corrispondono");
    }
  }
  decoded_plan plan;
  plan.x.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(half));
  plan.y.assign(all.begin() + static_cast<std::ptrdiff_t>(half), all.end());
  return plan;
}

}  // namespace scenario
