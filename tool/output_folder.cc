#include "tool/output_folder.h"

#include <filesystem>

#include "content/built_in_identity.h"
#include "model/file_names.h"

namespace scenario::tool {

std::optional<std::string> program_folder_problem(const std::string& directory, const std::string& instead) {
  // The program writes its own definitions into its folder and deletes
  // them: an author's there would be lost at its next start.
  const scenario_identity program = built_in_identity();
  const std::string program_name = program.route_name + "_" + program.train_number;
  for (const std::string& name : {program_name, program_name + ".exe"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path_in(directory, name), ec)) {
      return "la cartella " + directory + " contiene il programma " + name +
             ", che a ogni avvio vi scrive le proprie definizioni e poi le cancella.\n"
             "Lavorare in una cartella a parte, per esempio: " + instead;
    }
  }
  return std::nullopt;
}

}  // namespace scenario::tool
