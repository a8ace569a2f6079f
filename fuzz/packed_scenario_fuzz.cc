// Arbitrary bytes as a program file that may carry a scenario: its image
// and what a whole program file carries, then what is appended after a
// given image size. Input layout:
//   bytes 0-1: the image size (little-endian, cut to the file's length)
//   then the file's bytes.
// A scenario that is read is given back whole: encoded again and read
// again it is the same.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "model/packed_scenario.h"
#include "model/program_image.h"
#include "model/program_scenario.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool same(const scenario::packed_scenario& a, const scenario::packed_scenario& b) {
  if (a.id.route_name != b.id.route_name || a.id.train_number != b.id.train_number ||
      a.line_definition != b.line_definition || a.train_definition != b.train_definition ||
      a.papers.size() != b.papers.size()) {
    return false;
  }
  for (size_t i = 0; i < a.papers.size(); ++i) {
    if (a.papers[i].name != b.papers[i].name || a.papers[i].bytes != b.papers[i].bytes) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string_view file(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (const auto image = scenario::read_program_image(file)) {
    check(image->end <= file.size());
    if (const auto& table = image->certificates) check(table->offset >= image->end && table->end() <= file.size());
  }
  const scenario::carried_scenario whole = scenario::scenario_in_program_file(file);
  if (const auto* damaged = std::get_if<scenario::damaged_pack>(&whole)) check(!damaged->reason.empty());
  const size_t image = std::min<size_t>(data[0] | (data[1] << 8), file.size());
  const scenario::carried_scenario carried = scenario::read_packed_scenario(file, image);
  if (const auto* packed = std::get_if<scenario::packed_scenario>(&carried)) {
    const std::string again = std::string(file.substr(0, image)) + scenario::encode_packed_scenario(*packed);
    const scenario::carried_scenario reread = scenario::read_packed_scenario(again, image);
    const auto* second = std::get_if<scenario::packed_scenario>(&reread);
    check(second != nullptr && same(*packed, *second));
  } else if (const auto* damaged = std::get_if<scenario::damaged_pack>(&carried)) {
    check(!damaged->reason.empty());
  } else {
    check(image == file.size());
  }
  return 0;
}
