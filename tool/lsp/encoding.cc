#include "tool/lsp/encoding.h"

#include <algorithm>
#include <cstdio>

#include "model/ansi_text.h"
#include "model/field_reader.h"
#include "model/model.h"

namespace scenario::tool {

std::optional<load_warning> unencodable_character(definition_file file, std::string_view utf8,
                                                  const std::string& ansi) {
  std::optional<load_warning> first;
  size_t count = 0;
  size_t pos = 0;
  for (size_t index = 0; pos < utf8.size() && index < ansi.size(); ++index) {
    const size_t at = pos;
    const uint32_t code = next_code_point(utf8, &pos);
    // The conversion writes '?' for what the code page lacks.
    if (ansi[index] != '?' || code == '?') continue;
    if (++count > 1) continue;
    const field_reader lines(ansi);
    const field_site site = lines.site_at(index);
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(code));
    first = load_warning{warning_kind::not_ansi_text,
                         source_site{file, site.line, site.column, std::string(lines.line_text(site.line))},
                         "",
                         "il carattere \"" + std::string(utf8.substr(at, pos - at)) + "\" (" + number +
                             ") non c'e' in quella codifica: il simulatore leggerebbe \"?\" al suo posto"};
  }
  if (count > 1) first->detail += "; come lui altri " + std::to_string(count - 1) + " caratteri del file";
  return first;
}

std::vector<load_warning> disk_encoding_warnings(definition_file file, const std::string& bytes,
                                                 const definition_texts& texts, const scenario_identity& id) {
  std::vector<load_warning> found;
  // Plain ASCII reads the same in every encoding.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return found;
  }
  // The loader looks at the encoding as it opens a file: a line
  // definition alone is enough for its own, a train definition needs its
  // line definition before it.
  definition_texts disk;
  if (file == definition_file::line) {
    disk.line = bytes;
  } else {
    disk.line = texts.line;
    disk.train = bytes;
  }
  scenario_model model;
  model.identity = id;
  model.line_mode = 1;
  std::vector<load_warning> warnings;
  every_load_fault(model, disk, &warnings);
  for (load_warning& w : warnings) {
    if (w.kind != warning_kind::not_ansi_text || w.site.file != file) continue;
    // In UTF-8 text the first sequence has nothing but ASCII before it on
    // its line, so the column is the editor's too; the line is taken as
    // the editor shows it.
    w.site.text.clear();
    found.push_back(std::move(w));
  }
  return found;
}

}  // namespace scenario::tool
