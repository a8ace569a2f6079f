#include "tool/lsp/language.h"

#include <charconv>
#include <vector>

#include "model/ansi_text.h"
#include "model/record_fields.h"
#include "tool/lsp/text.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

// Where a line stands in its definition, as the loaders read it.
struct line_role {
  bool header = false;
  bool comment = false;
  bool general = false;  // the line definition's general section (or before it)
  std::string section;   // the last header, "" before any
};

bool is_header(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos || line[first] == '-') return false;
  return contains(line, "[") && contains(line, "]");
}

bool is_comment(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '-';
}

// The editor's text as the definition's bytes, one a character, by line.
struct definition_lines {
  std::string ansi;
  std::vector<std::string_view> lines;     // of `ansi`
  std::vector<std::string_view> editor;    // of the UTF-8 text
  std::vector<line_role> roles;
};

definition_lines read_lines(definition_file file, const std::string& utf8_text) {
  definition_lines d;
  d.ansi = utf8_to_ansi(utf8_text);
  d.lines = split_lines(d.ansi);
  d.editor = split_lines(utf8_text);
  enum { before, general, records } state = before;
  std::string section;
  for (std::string_view line : d.lines) {
    line_role role;
    role.header = is_header(line);
    role.comment = is_comment(line);
    if (role.header) {
      const size_t open = line.find('['), close = line.find(']', open);
      section = to_lower_ansi(line.substr(open, close == std::string_view::npos ? line.size() - open : close - open + 1));
      if (state == before && contains(section, "[generale]")) {
        state = general;
      } else if (state == general) {
        state = records;
      }
    }
    role.general = file == definition_file::line && state != records;
    role.section = section;
    d.roles.push_back(role);
  }
  return d;
}

json position_json(const definition_lines& d, size_t line, size_t byte) {
  const std::string_view editor = line < d.editor.size() ? d.editor[line] : std::string_view();
  return json{{"line", line}, {"character", utf16_column(editor, byte)}};
}

json range_json(const definition_lines& d, size_t line, size_t begin, size_t end) {
  return json{{"start", position_json(d, line, begin)}, {"end", position_json(d, line, end)}};
}

const record_kind* kind_of_line(const definition_lines& d, size_t line, definition_file file,
                                std::vector<line_field>* fields, std::vector<const record_kind*>* all = nullptr) {
  if (line >= d.lines.size() || d.roles[line].header || d.roles[line].comment) return nullptr;
  const auto key = scan_record(d.lines[line], nullptr);
  if (key.empty()) return nullptr;
  const auto kinds = kinds_for_key(key[0].text, file, d.roles[line].general);
  if (all != nullptr) *all = kinds;
  if (kinds.empty()) return nullptr;
  *fields = scan_record(d.lines[line], kinds[0]);
  return kinds[0];
}

// Each field's number as the reader takes it: blank is 0, anything that
// is no whole number is missing.
record_values values_of(const std::vector<line_field>& fields) {
  record_values values;
  for (size_t i = 1; i < fields.size(); ++i) {
    const std::string& t = fields[i].text;
    int64_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    values.push_back(t.empty() || (r.ec == std::errc() && r.ptr == t.data() + t.size()) ? std::optional(v)
                                                                                        : std::nullopt);
  }
  return values;
}

const char* file_words(definition_file file) {
  return file == definition_file::train ? "definizione del treno" : "definizione della linea";
}

std::string field_list(const record_kind& kind) {
  std::string text;
  for (const record_field& f : kind.fields) text += (text.empty() ? "" : ", ") + std::string(f.name);
  return text;
}

std::string hover_text(const record_kind& kind, const std::vector<const record_kind*>& kinds,
                       const std::vector<line_field>& fields, size_t index) {
  std::string text = "**" + std::string(kind.key) + "**: " + kind.meaning + " (" + file_words(kind.file) + ")";
  if (index == 0) {
    const std::string key = decode_key(kind, fields[0].text);
    if (!key.empty()) text += "\n\n" + ansi_to_utf8(key);
    text += "\n\ncampi: " + field_list(kind);
  } else {
    const record_field& f = kind.fields[index - 1];
    text += "\n\ncampo " + std::to_string(index) + " di " + std::to_string(kind.fields.size()) + ", `" + f.name +
            "`: " + f.meaning;
    const std::string value = decode_field(kind, index - 1, values_of(fields));
    if (!value.empty()) text += "\n\nvalore: " + value;
    if (f.unit == field_unit::text) text += "\n\nvalore: \"" + ansi_to_utf8(fields[index].text) + "\"";
  }
  for (size_t i = 1; i < kinds.size(); ++i) {
    text += "\n\nla chiave corrisponde anche a **" + std::string(kinds[i]->key) + "**, che legge i suoi campi";
  }
  return text;
}

// What a line that is no record is: a header with the records the
// definitions put under it, a comment, or a field the loader drops.
std::string line_note(const definition_lines& d, size_t line, definition_file file) {
  const line_role& role = d.roles[line];
  const std::string_view text = d.lines[line];
  if (role.header) {
    std::string note = "**" + role.section + "**: sezione della " + file_words(file);
    std::string keys;
    for (const record_kind& kind : record_kinds()) {
      if (kind.file == file && role.section == kind.section) keys += (keys.empty() ? "" : ", ") + std::string(kind.key);
    }
    if (!keys.empty()) note += "; vi stanno di solito: " + keys;
    if (contains(role.section, "[generale]")) {
      note += "\n\nil lettore comincia da qui: cio' che precede e' ignorato";
      if (file == definition_file::line) note += "; fino alla sezione seguente valgono solo le chiavi della sezione generale";
    } else {
      note += "\n\nil lettore ignora l'intestazione";
      if (file == definition_file::line) note += "; la prima dopo [generale] chiude la sezione generale";
    }
    return note;
  }
  if (role.comment) return "commento: ignorato (una virgola farebbe leggere come chiave cio' che la segue)";
  if (text.find_first_not_of(" \t") == std::string_view::npos) return "";
  return "campo che non corrisponde a nessuna chiave" +
         std::string(file == definition_file::line && role.general ? " della sezione generale" : "") + ": ignorato";
}

// A record's skeleton: its key and each field as a placeholder.
std::string skeleton(const record_kind& kind) {
  std::string text = std::string_view(kind.key) == "curva" ? "curva${1|d,s|}${2|5,1,2,3,4,6|}" : kind.key;
  const size_t first = std::string_view(kind.key) == "curva" ? 3 : 1;
  for (size_t i = 0; i < kind.fields.size(); ++i) {
    text += ",  ${" + std::to_string(first + i) + ":" + kind.fields[i].name + "}";
  }
  return text;
}

}  // namespace

json hover_at(definition_file file, const std::string& utf8_text, text_position at) {
  const definition_lines d = read_lines(file, utf8_text);
  if (at.line >= d.lines.size()) return nullptr;
  const size_t byte = byte_offset(d.editor[at.line], at.character);
  std::vector<line_field> fields;
  std::vector<const record_kind*> kinds;
  const record_kind* kind = kind_of_line(d, at.line, file, &fields, &kinds);
  if (kind == nullptr) {
    const std::string text = line_note(d, at.line, file);
    if (text.empty()) return nullptr;
    const size_t begin = d.lines[at.line].find_first_not_of(" \t");
    return json{{"contents", {{"kind", "markdown"}, {"value", text}}},
                {"range", range_json(d, at.line, begin, field_end(d.lines[at.line], begin, field_type::text))}};
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    if (byte < fields[i].begin || byte > fields[i].end) continue;
    return json{{"contents", {{"kind", "markdown"}, {"value", hover_text(*kind, kinds, fields, i)}}},
                {"range", range_json(d, at.line, fields[i].begin, fields[i].end)}};
  }
  return nullptr;
}

json completion_at(definition_file file, const std::string& utf8_text, text_position at) {
  const definition_lines d = read_lines(file, utf8_text);
  json items = json::array();
  if (at.line >= d.lines.size()) return items;
  const std::string_view line = d.lines[at.line];
  const size_t byte = std::min(byte_offset(d.editor[at.line], at.character), line.size());
  // Keys and headers only where a key is being typed: before any comma.
  if (line.substr(0, byte).find(',') != std::string_view::npos) return items;
  const size_t start = std::min(line.find_first_not_of(" \t"), byte);
  const json replace = range_json(d, at.line, start, byte);
  const line_role& role = d.roles[at.line];
  for (const record_kind& kind : record_kinds()) {
    if (kind.file != file || (file == definition_file::line && kind.general != role.general)) continue;
    // The current section's own records first.
    const std::string order = (role.section == kind.section ? "0" : "1") + std::string(kind.key);
    const std::string label = kind.key;
    items.push_back({{"label", label},
                     {"kind", 14},
                     {"detail", kind.meaning},
                     {"documentation", "campi: " + field_list(kind)},
                     {"sortText", order},
                     {"filterText", label},
                     {"insertTextFormat", 2},
                     {"textEdit", {{"range", replace}, {"newText", skeleton(kind)}}}});
  }
  for (const char* header : section_headers(file)) {
    items.push_back({{"label", header},
                     {"kind", 9},
                     {"detail", "intestazione di sezione"},
                     {"sortText", std::string("2") + header},
                     {"filterText", header},
                     {"textEdit", {{"range", replace}, {"newText", header}}}});
  }
  return items;
}

json document_symbols(definition_file file, const std::string& utf8_text) {
  const definition_lines d = read_lines(file, utf8_text);
  json top = json::array();
  json* section = nullptr;
  const auto full_line = [&](size_t i) { return range_json(d, i, 0, d.lines[i].size()); };
  for (size_t i = 0; i < d.lines.size(); ++i) {
    if (d.roles[i].header) {
      const std::string name = ansi_to_utf8(std::string(d.lines[i].substr(d.lines[i].find('['))));
      top.push_back({{"name", name}, {"kind", 3}, {"range", full_line(i)}, {"selectionRange", full_line(i)},
                     {"children", json::array()}});
      section = &top.back();
      continue;
    }
    std::vector<line_field> fields;
    const record_kind* kind = kind_of_line(d, i, file, &fields);
    if (kind == nullptr || fields.size() < 2) continue;
    const std::string key = kind->key;
    const std::string at = fields[1].text + " m";
    json symbol;
    size_t name_field = 0;
    if (key == "stazione" && fields.size() == kind->fields.size() + 1) {
      name_field = fields.size() - 1;
      symbol = {{"name", ansi_to_utf8(fields.back().text)}, {"kind", 5}, {"detail", "stazione a " + at}};
    } else if (key == "segnale") {
      symbol = {{"name", "segnale " + at}, {"kind", 24}};
    } else if (key == "rallentamento") {
      symbol = {{"name", "rallentamento " + at}, {"kind", 14}};
      if (fields.size() > 3) symbol["detail"] = fields[2].text + " km/h per " + fields[3].text + " m";
    } else if (key == "montagna" && fields.size() > 2) {
      symbol = {{"name", "galleria " + fields[1].text + "-" + fields[2].text + " m"}, {"kind", 23}};
    } else {
      continue;
    }
    symbol["range"] = full_line(i);
    symbol["selectionRange"] = range_json(d, i, fields[name_field].begin, fields[name_field].end);
    if (section != nullptr) {
      (*section)["range"]["end"] = full_line(i)["end"];
      (*section)["children"].push_back(symbol);
    } else {
      top.push_back(symbol);
    }
  }
  return top;
}

}  // namespace scenario::tool
