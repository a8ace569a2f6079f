#include "model/file_names.h"

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

}  // namespace scenario
