#include "tool/definitions.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "model/ansi_text.h"
#include "model/binary_decode.h"
#include "model/compile.h"
#include "model/definition_files.h"
#include "model/file_names.h"
#include "tool/commands.h"

namespace scenario::tool {
namespace {

// How the names of the two definitions end (model/file_names).
constexpr std::string_view kLineEnd = "_linea.txt";
constexpr std::string_view kTrainEnd = "-.txt";

// Ends with `end`, whatever the case of its letters.
bool ends_with(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && to_lower_ansi(text.substr(text.size() - end.size())) == to_lower_ansi(end);
}

// The last part of a path as typed, with either separator.
std::string_view base_name(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A definition's file name given where its name or number is asked for:
// what to type instead.
std::optional<std::string> file_name_given(const std::string& route, const std::string& train) {
  if (ends_with(route, kLineEnd)) {
    const std::string_view file = base_name(route);
    return "--route vuole il nome del percorso, non il file: per " + std::string(file) + " scrivi --route " +
           std::string(file.substr(0, file.size() - kLineEnd.size()));
  }
  if (ends_with(train, kTrainEnd)) {
    std::string_view number = base_name(train);
    number.remove_suffix(kTrainEnd.size());
    if (const std::string prefix = route + "_"; number.substr(0, prefix.size()) == prefix) {
      number.remove_prefix(prefix.size());
    }
    return "--train vuole il numero del treno, non il file: per " + std::string(base_name(train)) +
           " scrivi --train " + std::string(number);
  }
  return std::nullopt;
}

// DIR, --route and --train; on a problem writes it to `err`.
std::optional<definition_set> find_definitions(const arguments& args, bool route_plan_written, std::ostream& err) {
  const auto route = args.value("--route");
  const auto train = args.value("--train");
  if (args.positional.size() != 1 || !route || !train) {
    err << "scenario: servono DIR, --route NOME e --train NUMERO (vedi --help)\n";
    return std::nullopt;
  }
  definition_set set{args.positional[0], *route, *train};
  if (const auto typed = file_name_given(set.route, set.train)) {
    err << "scenario: " << *typed << "\n";
    return std::nullopt;
  }
  if (const auto problem = identity_problem(set.route, set.train, route_plan_written)) {
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

// A word as typed on a command line: quoted when empty or with a blank.
std::string typed(const std::string& word) {
  return word.empty() || word.find(' ') != std::string::npos ? "\"" + word + "\"" : word;
}

// The definitions in `directory`, as the --route and --train that name
// them, so that an author who mistyped one sees what is there.
void list_definitions(const std::string& directory, std::ostream& err) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    try {
      names.push_back(it->path().filename().string());
    } catch (const std::exception&) {
      // A name the code page cannot spell cannot be typed as --route either.
    }
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> found;
  for (const std::string& line : names) {
    if (line.size() <= kLineEnd.size() || !line.ends_with(kLineEnd)) continue;
    const std::string route = line.substr(0, line.size() - kLineEnd.size());
    bool with_train = false;
    for (const std::string& train : names) {
      const std::string prefix = route + "_";
      if (train.size() < prefix.size() + kTrainEnd.size() || !train.starts_with(prefix) || !train.ends_with(kTrainEnd)) {
        continue;
      }
      const std::string number = train.substr(prefix.size(), train.size() - prefix.size() - kTrainEnd.size());
      if (identity_problem(route, number, false)) continue;
      found.push_back("  --route " + typed(route) + " --train " + typed(number) + "   (" + line + ", " + train + ")");
      with_train = true;
    }
    if (!with_train) found.push_back("  --route " + typed(route) + "   (" + line + ", nessuna definizione del treno)");
  }
  if (found.empty()) {
    err << "nella cartella " << directory << " non c'e' nessuna definizione (NOME_linea.txt e NOME_NUMERO-.txt)\n";
    return;
  }
  err << "definizioni nella cartella " << directory << ":\n";
  for (const std::string& f : found) err << f << "\n";
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
  // Only compile writes files, and the route plan unless --no-plan.
  const bool route_plan_written = switches.count("--no-plan") != 0 && !args->has("--no-plan");
  const auto set = find_definitions(*args, route_plan_written, err);
  if (!set) {
    *status = kExitUsage;
    return std::nullopt;
  }
  definition_reads reads = read_definition_files(set->directory, set->route, set->train);
  definition_texts& texts = reads.texts;
  const definition_paths paths = set->paths();
  // A missing train definition with --write-on-fault is compiled as the
  // program compiles it: fault 25, and the files from what the line gives.
  const bool as_program = texts.line && args->has("--write-on-fault") &&
                          reads.train == read_problem::missing;
  if (!texts.line || (!texts.train && !as_program)) {
    const std::string& path = texts.line ? paths.train : paths.line;
    const read_problem why = texts.line ? reads.train : reads.line;
    if (why == read_problem::missing) {
      err << "scenario: " << path << " non esiste\n";
      list_definitions(set->directory, err);
    } else {
      err << "scenario: impossibile leggere " << path << ": " << read_problem_words(why) << "\n";
    }
    if (missing != nullptr) *missing = texts.line ? kReadFault : kNoLineDefinitionFault;
    *status = kExitUsage;
    return std::nullopt;
  }
  return command_start{*args, *set, std::move(texts)};
}

std::optional<std::string> cells_would_replace_plan(const definition_set& set) {
  const std::string cells = route_cells_name(set.route, set.train);
  if (to_lower_ansi(cells) != to_lower_ansi(route_plan_name(set.route))) return std::nullopt;
  const std::string path = path_in(set.directory, cells);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  const auto bytes = read_whole_file(path);
  if (bytes) {
    try {
      const std::vector<route_cell> found = decode_route_cells(*bytes);
      if (found.size() > 1 && found[1].info1 == kCellsFormatMark) return std::nullopt;
    } catch (const decode_failure&) {
      // Not route cells: a route plan, or something else; not replaced.
    }
  }
  return path + " e' il tracciato della linea " + set.route + ", non le celle del treno " + set.train +
         ": non lo sostituisco; scegli un altro numero del treno";
}

std::string count_words(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

scenario_model model_for(const definition_set& set) {
  scenario_model model;
  model.identity = {set.route, set.train};
  return model;
}

}  // namespace scenario::tool
