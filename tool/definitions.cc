#include "tool/definitions.h"

#include <filesystem>
#include <fstream>
#include <ostream>

#include "model/file_names.h"
#include "tool/commands.h"

namespace scenario::tool {

std::optional<definition_set> find_definitions(const arguments& args, std::ostream& err) {
  const auto route = args.value("--route");
  const auto train = args.value("--train");
  if (args.positional.size() != 1 || !route || !train) {
    err << "scenario: servono DIR, --route NOME e --train NUMERO (vedi --help)\n";
    return std::nullopt;
  }
  definition_set set{args.positional[0], *route, *train};
  std::error_code ec;
  if (!std::filesystem::is_directory(set.directory, ec)) {
    err << "scenario: la cartella " << set.directory << " non esiste\n";
    return std::nullopt;
  }
  for (const std::string& name : {line_definition_name(set.route), train_definition_name(set.route, set.train)}) {
    const std::string path = path_in(set.directory, name);
    std::ifstream in(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, ec) || !in) {
      err << "scenario: impossibile leggere " << path << "\n";
      return std::nullopt;
    }
  }
  return set;
}

std::optional<command_start> start_command(const std::string& name, const std::vector<std::string>& words,
                                           std::set<std::string> with_value, std::set<std::string> switches,
                                           const char* help, std::ostream& out, std::ostream& err, int* status) {
  with_value.insert({"--route", "--train"});
  switches.insert("--help");
  std::string problem;
  const auto args = parse_arguments(words, with_value, switches, &problem);
  if (!args) {
    err << "scenario " << name << ": " << problem << "\n" << help;
    *status = kExitUsage;
    return std::nullopt;
  }
  if (args->has("--help")) {
    out << help;
    *status = kExitClean;
    return std::nullopt;
  }
  const auto set = find_definitions(*args, err);
  if (!set) {
    *status = kExitUsage;
    return std::nullopt;
  }
  return command_start{*args, *set};
}

scenario_model model_for(const definition_set& set) {
  scenario_model model;
  model.route_name = set.route;
  model.train_number = set.train;
  return model;
}

}  // namespace scenario::tool
