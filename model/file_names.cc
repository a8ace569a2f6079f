#include "model/file_names.h"

#include <vector>

#include "model/ansi_text.h"

namespace scenario {

std::string path_in(std::string_view directory, std::string_view name) {
  std::string path(directory);
  path += kPathSeparator;
  path += name;
  return path;
}

std::string line_definition_name(std::string_view route) { return std::string(route) + "_linea.txt"; }

std::string train_definition_name(std::string_view route, std::string_view train) {
  return std::string(route) + "_" + std::string(train) + "-.txt";
}

std::string route_plan_name(std::string_view route) { return std::string(route) + "_linea.dat"; }

std::string item_table_name(std::string_view route, std::string_view train) {
  return std::string(route) + "_" + std::string(train) + ".sim";
}

std::string route_cells_name(std::string_view route, std::string_view train) {
  return std::string(route) + "_" + std::string(train) + ".dat";
}

std::string document_name(std::string_view route, std::string_view train, std::string_view document) {
  return std::string(route) + "_" + std::string(train) + "_" + std::string(document);
}

bool forbidden_in_file_name(char c) {
  return static_cast<unsigned char>(c) < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
}

namespace {

// A name that may be empty (a train number: "R_.sim" is still a file name)
// is checked only for what no file name may hold.
std::optional<std::string> name_problem(std::string_view name, const char* what, bool may_be_empty) {
  if (name.empty() && !may_be_empty) return std::string(what) + " e' vuoto";
  for (char c : name) {
    if (forbidden_in_file_name(c)) {
      return std::string(what) + " contiene il carattere '" + std::string(1, c) +
             "', che non puo' stare nel nome di un file";
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> identity_problem(std::string_view route, std::string_view train, bool route_plan_written) {
  if (auto p = name_problem(route, "il nome del percorso", false)) return p;
  if (auto p = name_problem(train, "il numero del treno", true)) return p;
  std::vector<std::string> names = {line_definition_name(route), train_definition_name(route, train),
                                    item_table_name(route, train), route_cells_name(route, train)};
  if (route_plan_written) names.push_back(route_plan_name(route));
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      if (to_lower_ansi(names[i]) == to_lower_ansi(names[j])) {
        return "con il percorso " + std::string(route) + " e il treno " + std::string(train) +
               " due file avrebbero lo stesso nome, " + names[i] + ": scegli un altro numero del treno";
      }
    }
  }
  return std::nullopt;
}

}  // namespace scenario
