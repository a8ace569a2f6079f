// Writes the built-in definitions as seeds: each definition alone for the
// field reader, and the pair in the compile target's layout (flags byte,
// line definition, NUL, train definition), once in each mode. For the
// decoders, the built-in scenario's route cells and item table as compiled
// (its route plan, near a megabyte, would only slow every run down; the
// committed corpus holds small ones), each as text and as JSON.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"
#include "model/binary_files.h"
#include "model/compile.h"
#include "model/model.h"

namespace {

bool put(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <seed directory>\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "field_reader");
  std::filesystem::create_directories(root / "compile");
  std::filesystem::create_directories(root / "binary_decode");
  const std::string line = scenario::line_document_bytes(scenario::line_definition_lines());
  const std::string train = scenario::line_document_bytes(scenario::train_definition_lines());
  // Field reader: one selector byte; 0x00 reads text only, 0xE4 cycles
  // text, long, integer, byte.
  bool ok = put(root / "field_reader" / "built_in_line", std::string("\x00\x00", 2) + line) &&
            put(root / "field_reader" / "built_in_train", std::string("\x00\xE4", 2) + train) &&
            put(root / "compile" / "built_in_line_mode", std::string("\x01", 1) + line + '\0' + train) &&
            put(root / "compile" / "built_in", std::string("\x00", 1) + line + '\0' + train);
  scenario::scenario_model model;
  model.identity = {"Brenvalo_Morvena", "4815"};
  const scenario::compile_outcome outcome = scenario::compile_scenario(model, 0, {line, train}, nullptr);
  if (scenario::reported_fault(outcome)) {
    std::cerr << "the built-in scenario does not compile\n";
    return 1;
  }
  // Byte 0 of the decoders' layout: bits 0-1 the file, bits 2-3 the form.
  const std::string cells = scenario::route_cells_bytes(model);
  const std::string items = scenario::item_table_bytes(model);
  ok = ok && put(root / "binary_decode" / "built_in_cells", std::string("\x00", 1) + cells) &&
       put(root / "binary_decode" / "built_in_cells_json", std::string("\x04", 1) + cells) &&
       put(root / "binary_decode" / "built_in_items", std::string("\x01", 1) + items) &&
       put(root / "binary_decode" / "built_in_items_json", std::string("\x05", 1) + items);
  if (!ok) {
    std::cerr << "cannot write the seeds into " << root << "\n";
    return 1;
  }
  return 0;
}
