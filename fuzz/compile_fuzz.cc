// A whole compile of an arbitrary pair of definitions, given to the loader
// as text. Input layout:
//   byte 0: flags. bit 0 line mode; bit 1 no line definition; bit 2 no
//           train definition; bit 3 collect the loader's warnings.
//   then the line definition up to the first NUL byte, then the train
//   definition (empty when there is no NUL).
// The compiled files are encoded to a writer that only counts bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/binary_files.h"
#include "model/compile.h"
#include "model/diagnostics.h"
#include "model/loader.h"
#include "model/model.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

size_t encoded_size(void (*encode)(const scenario::scenario_model&, const scenario::chunk_writer&),
                    const scenario::scenario_model& model) {
  size_t total = 0;
  encode(model, [&](std::string_view chunk) { total += chunk.size(); });
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = rest.find('\0');
  const std::string_view line = rest.substr(0, split);
  const std::string_view train = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

  scenario::scenario_model model;
  model.identity = {"R", "1"};
  scenario::definition_texts definitions;
  if ((flags & 2) == 0) definitions.line = std::string(line);
  if ((flags & 4) == 0) definitions.train = std::string(train);

  std::vector<scenario::load_warning> warnings;
  const scenario::compile_outcome outcome =
      scenario::compile_scenario(model, (flags & 1) != 0 ? 1 : 0, definitions, (flags & 8) != 0 ? &warnings : nullptr);
  const int32_t reserved = outcome.reserved;
  check(reserved == 0 || reserved == scenario::kFormatMarkFault || reserved == scenario::kCheckCodeFault);
  // Every fault found is one the reports can word.
  const scenario::fault_state fault = scenario::reported_fault(outcome);
  check(!fault || *scenario::fault_words(fault.error_code) != '\0');
  const scenario::definition_paths paths{"R_linea.txt", "R_1-.txt"};
  check(!scenario::format_fault(fault, paths).empty());
  for (const scenario::load_warning& w : warnings) check(!scenario::format_warning(w, paths).empty());

  if (reserved == 0 && scenario::has_route_cells(model)) {
    if (model.line_mode != 0) {
      check(encoded_size(scenario::encode_route_plan, model) == 2 * scenario::route_plan_run_bytes(model.plan));
    }
    size_t texts = 0;
    for (const scenario::item_entry& e : model.item_table) texts += e.text.size();
    check(encoded_size(scenario::encode_item_table, model) ==
          static_cast<size_t>(scenario::kItemCount) * scenario::kItemFixedBytes + texts);
    check(encoded_size(scenario::encode_route_cells, model) ==
          model.route_cells.size() * static_cast<size_t>(scenario::kCellBytes));
  }
  return 0;
}
