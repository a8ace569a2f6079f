// Writes the built-in definitions as seeds: each definition alone for the
// field reader, and the pair in the compile target's layout (flags byte,
// line definition, NUL, train definition), once in each mode.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"

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
  const std::string line = scenario::line_document_bytes(scenario::line_definition_lines());
  const std::string train = scenario::line_document_bytes(scenario::train_definition_lines());
  // Field reader: one selector byte; 0x00 reads text only, 0xE4 cycles
  // text, long, integer, byte.
  bool ok = put(root / "field_reader" / "built_in_line", std::string("\x00\x00", 2) + line) &&
            put(root / "field_reader" / "built_in_train", std::string("\x00\xE4", 2) + train) &&
            put(root / "compile" / "built_in_line_mode", std::string("\x01", 1) + line + '\0' + train) &&
            put(root / "compile" / "built_in", std::string("\x00", 1) + line + '\0' + train);
  if (!ok) {
    std::cerr << "cannot write the seeds into " << root << "\n";
    return 1;
  }
  return 0;
}
