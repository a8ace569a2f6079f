// Arbitrary bytes through the field reader. The first byte says how many of
// the following bytes choose the reads (two bits per read: text, long,
// integer, byte), used round and round; the rest is the definition text.
// Reads go on until the stream has ended or a read fails as a load failure.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/field_reader.h"
#include "model/load_failure.h"

namespace {

// Every successful read consumes at least one character, so more reads than
// characters means the reader stopped moving.
void check(bool ok) {
  if (!ok) __builtin_trap();
}

void check_site(const scenario::field_reader& r) {
  const scenario::field_site at = r.last_site();
  check(at.line >= 1 && at.column >= 1);
  const std::string_view line = r.line_text(at.line);
  check(line.find_first_of("\r\n") == std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t selectors = std::min<size_t>(size - 1, data[0] % 16 + 1);
  const uint8_t* choice = data + 1;
  std::string text(reinterpret_cast<const char*>(data + 1 + selectors), size - 1 - selectors);
  const size_t limit = text.size() + 1;

  scenario::field_reader r(std::move(text));
  size_t reads = 0;
  try {
    while (!r.ended()) {
      check(++reads <= limit);
      const size_t n = reads - 1;
      const unsigned op = selectors == 0 ? 0u : (choice[(n / 4) % selectors] >> (2 * (n % 4))) & 3u;
      switch (op) {
        case 0: {
          const std::string field = r.read_text();
          (void)field;
          break;
        }
        case 1:
          (void)r.read_long();
          break;
        case 2:
          (void)r.read_integer();
          break;
        default:
          (void)r.read_byte();
          break;
      }
      check_site(r);
      (void)r.last_ended_by_comma();
    }
  } catch (const scenario::load_failure& failure) {
    check(failure.line() >= 1 && failure.column() >= 1);
    check(r.line_text(failure.line()).find_first_of("\r\n") == std::string_view::npos);
  }
  return 0;
}
