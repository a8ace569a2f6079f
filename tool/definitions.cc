#include "tool/definitions.h"

#include <filesystem>
#include <ostream>

#include "model/definition_files.h"
#include "model/file_names.h"
#include "tool/commands.h"

namespace scenario::tool {
namespace {

// DIR, --route and --train; on a problem writes it to `err`.
std::optional<definition_set> find_definitions(const arguments& args, std::ostream& err) {
  const auto route = args.value("--route");
  const auto train = args.value("--train");
  if (args.positional.size() != 1 || !route || !train) {
    err << "scenario: servono DIR, --route NOME e --train NUMERO (vedi --help)\n";
    return std::nullopt;
  }
  definition_set set{args.positional[0], *route, *train};
  if (const auto problem = identity_problem(set.route, set.train)) {
    err << "scenario: " << *problem << "\n";
    return std::nullopt;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(set.directory, ec)) {
    err << "scenario: la cartella " << set.directory << " non esiste\n";
    return std::nullopt;
  }
  return set;
}

}  // namespace

definition_paths definition_set::paths() const {
  return definition_paths{path_in(directory, line_definition_name(route)),
                          path_in(directory, train_definition_name(route, train))};
}

std::optional<command_start> start_command(const std::string& name, const std::vector<std::string>& words,
                                           std::set<std::string> with_value, std::set<std::string> switches,
                                           const char* help, std::ostream& out, std::ostream& err, int* status,
                                           fault_code* missing) {
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
  definition_reads reads = read_definition_files(set->directory, set->route, set->train);
  definition_texts& texts = reads.texts;
  const definition_paths paths = set->paths();
  if (!texts.line || !texts.train) {
    err << "scenario: impossibile leggere " << (texts.line ? paths.train : paths.line) << ": "
        << read_problem_words(texts.line ? reads.train : reads.line) << "\n";
    if (missing != nullptr) *missing = texts.line ? kReadFault : kNoLineDefinitionFault;
    *status = kExitUsage;
    return std::nullopt;
  }
  return command_start{*args, *set, std::move(texts)};
}

scenario_model model_for(const definition_set& set) {
  scenario_model model;
  model.identity = {set.route, set.train};
  return model;
}

}  // namespace scenario::tool
