#include "model/diagnostics.h"

#include <algorithm>

#include "model/ansi_text.h"

namespace scenario {
namespace {

std::string location(const source_site& site, const definition_paths& paths) {
  if (site.file == definition_file::none) return "";
  std::string where = paths.of(site.file);
  if (site.line > 0) where += ":" + std::to_string(site.line);
  if (site.line > 0 && site.column > 0) where += ":" + std::to_string(site.column);
  return where + ": ";
}

// The source line and a caret under the column, tabs kept so they align.
// A very long line is cut around the field, with "..." where it goes on.
std::string excerpt(const source_site& site) {
  constexpr size_t kLongest = 160;
  constexpr size_t kAround = 60;
  if (site.line <= 0 || site.text.empty()) return "";
  const size_t at = site.column > 0 ? static_cast<size_t>(site.column - 1) : 0;
  size_t from = 0;
  size_t to = site.text.size();
  if (to > kLongest) {
    from = at > kAround ? at - kAround : 0;
    to = std::min(site.text.size(), std::max(at, from) + kAround);
  }
  const std::string head = from > 0 ? "..." : "";
  const std::string tail = to < site.text.size() ? "..." : "";
  std::string caret(head.size(), ' ');
  for (size_t i = from; i < at && i < site.text.size(); ++i) caret += site.text[i] == '\t' ? '\t' : ' ';
  return head + ansi_to_utf8(site.text.substr(from, to - from)) + tail + "\n" + caret + "^\n";
}

}  // namespace

const std::string& definition_paths::of(definition_file file) const {
  return file == definition_file::train ? train : line;
}

std::string fault_message(const fault_state& fault, const definition_paths& paths) {
  std::string text = fault_words(fault.error_code);
  if (!fault.detail.empty()) text += (text.empty() ? "" : ": ") + ansi_to_utf8(fault.detail);
  if (fault.met.known()) {
    const std::string& path = paths.of(fault.met.file);
    const std::string file = !path.empty()                            ? "di " + path
                             : fault.met.file == definition_file::line ? "della definizione della linea"
                                                                       : "della definizione del treno";
    text += " (con il record di riga " + std::to_string(fault.met.line) + " " + file + ")";
  }
  if (fault_has_position(fault.error_code)) {
    const std::string label = fault_position_label(fault.error_code);
    text += " (" + (label.empty() ? "" : label + " ") + std::to_string(fault.error_position) + " m)";
  }
  return text;
}

std::string fault_headline(const fault_state& fault, const definition_paths& paths) {
  std::string line = location(fault.site, paths) + "errore " + std::to_string(fault.error_code);
  const std::string message = fault_message(fault, paths);
  if (!message.empty()) line += ": " + message;
  return line;
}

std::string format_fault(const fault_state& fault, const definition_paths& paths) {
  return fault_headline(fault, paths) + "\n" + excerpt(fault.site);
}

std::string warning_message(const load_warning& warning) {
  std::string text = warning_words(warning.kind);
  if (!warning.subject.empty()) text += " (\"" + ansi_to_utf8(warning.subject) + "\")";
  if (!warning.detail.empty()) text += ": " + warning.detail;
  return text;
}

std::string format_warning(const load_warning& warning, const definition_paths& paths) {
  return location(warning.site, paths) + (warning_is_fault_level(warning.kind) ? "errore: " : "avviso: ") +
         warning_message(warning) + "\n" + excerpt(warning.site);
}

}  // namespace scenario
