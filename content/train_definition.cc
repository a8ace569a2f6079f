#include "content/train_definition.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

constexpr std::array<std::string_view, 1> kLines = {
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> train_definition_lines() { return kLines; }

void dati_treno(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, train_definition_name(id.route_name, id.train_number)), kLines);
}

}  // namespace scenario
