#include "run/carried_scenario.h"

#include "model/definition_files.h"
#include "model/program_scenario.h"

namespace scenario {
namespace {

// Kept in the program file whether used or not: see packed_scenario.h.
[[gnu::used]] const char kReaderMark[] = SCENARIO_PACK_READER_MARK_HEAD SCENARIO_PACK_READER_MARK_TAIL;

}  // namespace

carried_scenario scenario_in_program(const std::string& program_file) {
  if (program_file.empty()) return no_packed_scenario{};
  const std::optional<std::string> file = read_whole_file(program_file, kLargestProgramFile);
  if (!file) return damaged_pack{"impossibile leggere il file del programma " + program_file};
  return scenario_in_program_file(*file);
}

}  // namespace scenario
