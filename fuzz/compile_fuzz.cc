// A whole compile of an arbitrary pair of definitions. Input layout:
//   byte 0: flags. bit 0 line mode; bit 1 no line definition file; bit 2 no
//           train definition file; bit 3 collect the loader's warnings.
//   then the line definition up to the first NUL byte, then the train
//   definition (empty when there is no NUL).
// The definitions are written into one directory per process; the compiled
// files are encoded to a writer that only counts bytes, since writing them
// to disk on every run would dominate the run time.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/binary_files.h"
#include "model/compile.h"
#include "model/file_names.h"
#include "model/loader.h"
#include "model/model.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// Kept for the whole process (never destroyed) so the exit handler that
// removes the directory can still read its name.
const std::string& work_dir() {
  static const std::string* const dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "compile_fuzz_XXXXXX").string();
    check(mkdtemp(pattern.data()) != nullptr);
    auto* made = new std::string(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(work_dir(), ec);
    });
    return made;
  }();
  return *dir;
}

void clear_dir(const std::string& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir)) std::filesystem::remove_all(entry.path());
}

void put(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  check(static_cast<bool>(out));
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

  const std::string& dir = work_dir();
  clear_dir(dir);
  scenario::scenario_model model;
  model.route_name = "R";
  model.train_number = "1";
  if ((flags & 2) == 0) put(scenario::path_in(dir, scenario::line_definition_name(model.route_name)), line);
  if ((flags & 4) == 0) {
    put(scenario::path_in(dir, scenario::train_definition_name(model.route_name, model.train_number)), train);
  }

  std::vector<scenario::load_warning> warnings;
  scenario::load_options options{dir, true};
  if ((flags & 8) != 0) options.warnings = &warnings;

  const int32_t reserved = scenario::compile_scenario(model, (flags & 1) != 0 ? 1 : 0, options);
  check(reserved == 0 || reserved == scenario::kFormatMarkFault || reserved == scenario::kCheckCodeFault);
  // The loader deletes the line definition on every path that opened it.
  check(!std::filesystem::exists(scenario::path_in(dir, scenario::line_definition_name(model.route_name))));

  if (reserved == 0 && scenario::has_route_cells(model)) {
    if (model.line_mode != 0) check(encoded_size(scenario::encode_route_plan, model) > 0);
    size_t texts = 0;
    for (const scenario::item_entry& e : model.item_table) texts += e.text.size();
    check(encoded_size(scenario::encode_item_table, model) ==
          static_cast<size_t>(scenario::kItemCount) * scenario::kItemFixedBytes + texts);
    check(encoded_size(scenario::encode_route_cells, model) ==
          model.route_cells.size() * static_cast<size_t>(scenario::kCellBytes));
  }
  return 0;
}
