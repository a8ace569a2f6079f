// Bounded readers of the three compiled files (layouts in
// model/binary_files.h), back into plain data. They never read past the
// end of the bytes given: a file that is short or does not follow its
// layout throws a decode_failure naming the byte offset where it stops
// making sense.
#ifndef MODEL_BINARY_DECODE_H_
#define MODEL_BINARY_DECODE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_error.h"
#include "model/model.h"

namespace scenario {

// A compiled file that does not follow its layout; what() says why, for
// the user, in Italian.
class decode_failure : public file_error {
 public:
  decode_failure(size_t offset, const std::string& message) : file_error(message), offset_(offset) {}
  size_t offset() const { return offset_; }  // byte offset where decoding broke off

 private:
  size_t offset_;
};

// Route cells: the size must be a whole number of 15-byte cells, at least one.
std::vector<route_cell> decode_route_cells(std::string_view bytes);

// Item table: exactly 87 entries, walked in order since each entry's size
// depends on its text; nothing may follow entry 86.
std::array<item_entry, kItemCount> decode_item_table(std::string_view bytes);

// One element of the route plan as stored: its type and, for an integer or
// a Double, its value.
struct plan_value {
  plan_element type = plan_element::empty;
  double value = 0.0;
};

// The route plan as stored: the x run and the y run, one element per metre.
struct decoded_plan {
  std::vector<plan_value> x;
  std::vector<plan_value> y;
};

struct plan_element_counts {
  int32_t empty = 0;
  int32_t integer = 0;
  int32_t real = 0;
};

plan_element_counts count_elements(const std::vector<plan_value>& run);

// Route plan: a walk over variant records; the elements are split in half
// between x and y, so their number must be even, and x and y of one metre
// must be of one type.
decoded_plan decode_route_plan(std::string_view bytes);

}  // namespace scenario

#endif  // MODEL_BINARY_DECODE_H_
