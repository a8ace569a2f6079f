#include "documents/slowdown_order.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

constexpr std::array<std::string_view, 1> kLines = {
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> slowdown_order_lines() { return kLines; }

void dati_rallentamenti(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, document_name(id.route_name, id.train_number, "rallentamenti.txt")), kLines);
}

}  // namespace scenario
