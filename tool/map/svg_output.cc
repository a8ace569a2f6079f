#include "tool/map/svg_output.h"

#include <filesystem>
#include <system_error>

#include "model/definition_files.h"
#include "model/file_names.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path ca = fs::weakly_canonical(a, ec);
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

}  // namespace

std::string svg_output_problem(const std::string& target, const definition_set& set) {
  for (const std::string& name :
       {line_definition_name(set.route), train_definition_name(set.route, set.train), route_plan_name(set.route),
        item_table_name(set.route, set.train), route_cells_name(set.route, set.train)}) {
    const std::string path = path_in(set.directory, name);
    if (same_file(target, path)) return target + " e' un file dello scenario (" + name + "): scegli un altro nome";
  }
  std::error_code ec;
  if (!fs::exists(target, ec)) return "";
  if (!fs::is_regular_file(target, ec)) return target + " esiste e non e' un file";
  // An empty file loses nothing; anything else must be a drawing already.
  const auto old = read_whole_file(target);
  if (!old) return target + " esiste ma non si puo' leggere";
  const size_t first = old->find_first_not_of(" \t\r\n");
  const bool svg = first == std::string::npos ||
                   ((old->compare(first, 5, "<?xml") == 0 || old->compare(first, 4, "<svg") == 0) &&
                    old->find("<svg") != std::string::npos);
  if (!svg) return target + " esiste e non e' un disegno SVG: non lo sovrascrivo";
  return "";
}

}  // namespace scenario::tool
