#include "model/definition_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/file_names.h"

namespace scenario {

std::optional<std::string> read_whole_file(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(text).str();
}

definition_texts read_definitions(const std::string& directory, const std::string& route, const std::string& train) {
  return definition_texts{read_whole_file(path_in(directory, line_definition_name(route))),
                          read_whole_file(path_in(directory, train_definition_name(route, train)))};
}

}  // namespace scenario
