#include "documents/scenario_notes.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

constexpr std::array<std::string_view, 1> kLines = {
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> scenario_notes_lines() { return kLines; }

void dati_note(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, document_name(id.route_name, id.train_number, "note.txt")), kLines);
}

}  // namespace scenario
