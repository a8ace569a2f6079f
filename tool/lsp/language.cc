#include "tool/lsp/language.h"

#include <charconv>
#include <vector>

#include "model/ansi_text.h"
#include "model/field_reader.h"
#include "model/record_fields.h"
#include "model/record_scan.h"
#include "tool/lsp/text.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

// The editor's text of a definition and its key fields and records, as
// the core reads the definition's bytes (one a character).
struct definition_view {
  std::vector<std::string_view> editor;  // the lines of the UTF-8 text
  std::vector<scanned_key> keys;
};

definition_view view_of(definition_file file, const std::string& utf8_text) {
  return {text_lines(utf8_text), scan_records(utf8_to_ansi(utf8_text), file)};
}

// A site of the definition (1-based line, byte column) in the editor.
json position_json(const definition_view& d, const field_site& at) {
  const size_t line = static_cast<size_t>(at.line - 1);
  const std::string_view editor = line < d.editor.size() ? d.editor[line] : std::string_view();
  return json{{"line", line}, {"character", utf16_column(editor, static_cast<size_t>(at.column - 1))}};
}

json range_json(const definition_view& d, const field_site& begin, const field_site& end) {
  return json{{"start", position_json(d, begin)}, {"end", position_json(d, end)}};
}

json range_json(const definition_view& d, const scanned_field& f) { return range_json(d, f.begin, f.end); }

// Lines `first` to `last` (1-based), whole.
json lines_json(const definition_view& d, int32_t first, int32_t last) {
  const size_t end_line = static_cast<size_t>(last - 1);
  const size_t bytes = end_line < d.editor.size() ? d.editor[end_line].size() : 0;  // at least its characters
  return range_json(d, field_site{first, 1}, field_site{last, static_cast<int32_t>(bytes) + 1});
}

// Whether `at` lies in `f` or just after it.
bool covers(const scanned_field& f, const field_site& at) { return f.begin <= at && at <= f.end; }

// Each field's number as the reader takes it: blank is 0, anything that
// is no whole number is missing.
record_values values_of(const std::vector<scanned_field>& fields, size_t first, size_t count) {
  record_values values;
  for (size_t i = first; i < fields.size() && i < first + count; ++i) {
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

// The hover of a record's key (`index` 0) or of its field `index`: a key
// that matched several kinds read the fields of each in turn.
std::string hover_text(const scanned_key& k, size_t index) {
  size_t which = 0, field = index;  // the kind the field belongs to, and its number there (1-based)
  size_t first = 0;                 // that kind's first field among the record's
  while (field > k.kinds[which]->fields.size() && which + 1 < k.kinds.size()) {
    field -= k.kinds[which]->fields.size();
    first += k.kinds[which]->fields.size();
    ++which;
  }
  const record_kind& kind = *k.kinds[which];
  std::string text = "**" + std::string(kind.key) + "**: " + kind.meaning + " (" + file_words(kind.file) + ")";
  if (index == 0) {
    const std::string key = decode_key(kind, k.key.text);
    if (!key.empty()) text += "\n\n" + ansi_to_utf8(key);
    text += "\n\ncampi: " + field_list(kind);
  } else {
    const record_field& f = kind.fields[field - 1];
    text += "\n\ncampo " + std::to_string(field) + " di " + std::to_string(kind.fields.size()) + ", `" + f.name +
            "`: " + f.meaning;
    const std::string value = decode_field(kind, field - 1, values_of(k.fields, first, kind.fields.size()));
    if (!value.empty()) text += "\n\nvalore: " + value;
    if (f.unit == field_unit::text) text += "\n\nvalore: \"" + ansi_to_utf8(k.fields[index - 1].text) + "\"";
  }
  for (size_t i = 0; i < k.kinds.size(); ++i) {
    if (i == which) continue;
    text += "\n\nla chiave corrisponde anche a **" + std::string(k.kinds[i]->key) + "**, che legge i suoi campi";
  }
  return text;
}

// What a key field that begins no record is: a header with the records the
// definitions put under it, a comment, or a field the loader drops.
std::string key_note(const scanned_key& k, definition_file file) {
  switch (k.role) {
    case key_role::header: {
      std::string note = "**" + k.section + "**: sezione della " + file_words(file);
      std::string keys;
      for (const record_kind& kind : record_kinds()) {
        if (kind.file == file && k.section == kind.section) keys += (keys.empty() ? "" : ", ") + std::string(kind.key);
      }
      if (!keys.empty()) note += "; vi stanno di solito: " + keys;
      if (contains(k.section, "[generale]")) {
        note += "\n\nil lettore comincia da qui: cio' che precede e' ignorato";
        if (file == definition_file::line) {
          note += "; fino alla sezione seguente valgono solo le chiavi della sezione generale";
        }
      } else {
        note += "\n\nil lettore ignora l'intestazione";
        if (file == definition_file::line) note += "; la prima dopo [generale] chiude la sezione generale";
      }
      return note;
    }
    case key_role::comment:
      return "commento: ignorato (una virgola farebbe leggere come chiave cio' che la segue)";
    case key_role::ignored:
      return "prima di [generale]: ignorato, il lettore comincia da [generale]";
    default:
      return "campo che non corrisponde a nessuna chiave" + std::string(k.general ? " della sezione generale" : "") +
             ": ignorato";
  }
}

json hover_json(const std::string& text, json range) {
  return json{{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", std::move(range)}};
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
  const definition_view d = view_of(file, utf8_text);
  if (at.line >= d.editor.size()) return nullptr;
  const int32_t line = static_cast<int32_t>(at.line) + 1;
  const field_site here{line, static_cast<int32_t>(byte_offset(d.editor[at.line], at.character)) + 1};
  for (const scanned_key& k : d.keys) {
    if (covers(k.key, here)) {
      const std::string text = k.role == key_role::record ? hover_text(k, 0) : key_note(k, file);
      return hover_json(text, range_json(d, k.key));
    }
    for (size_t i = 0; i < k.fields.size(); ++i) {
      if (covers(k.fields[i], here)) return hover_json(hover_text(k, i + 1), range_json(d, k.fields[i]));
    }
  }
  // Elsewhere on a line that begins no record: what its first key field is.
  for (const scanned_key& k : d.keys) {
    if (k.key.begin.line == line && k.role != key_role::record) return hover_json(key_note(k, file), range_json(d, k.key));
  }
  return nullptr;
}

namespace {

// Whether a key is typed at the editor's cursor, as the reader would take
// what is typed there: in a key field (a text runs on over blanks until a
// comma), or on a line with no field before the cursor. `start` is where
// that key begins.
bool at_key(const definition_view& d, int32_t line, int32_t column, int32_t* start) {
  const scanned_field* last = nullptr;  // the last field on the line that begins at or before the cursor
  bool key = false;
  for (const scanned_key& k : d.keys) {
    for (size_t i = 0; i <= k.fields.size(); ++i) {
      const scanned_field& f = i == 0 ? k.key : k.fields[i - 1];
      if (f.begin.line != line || f.begin.column > column) continue;
      // Before "[generale]" only a line's first field is taken for a key
      // being written: the others are no key to the reader either.
      key = i == 0 && (k.role != key_role::ignored || last == nullptr);
      last = &f;
    }
  }
  const std::string_view editor = d.editor[static_cast<size_t>(line - 1)];
  if (last == nullptr) {
    const size_t first = editor.find_first_not_of(" \t");
    *start = std::min(first == std::string_view::npos ? column : static_cast<int32_t>(first) + 1, column);
    return true;
  }
  bool past = last->end.line == line && column > last->end.column;
  if (past && last->type == field_type::text) {
    const std::string ansi = utf8_to_ansi(editor);
    const size_t from = static_cast<size_t>(last->end.column - 1);
    past = from < ansi.size() &&
           contains(std::string_view(ansi).substr(from, static_cast<size_t>(column - last->end.column)), ",");
  }
  *start = last->begin.column;
  return key && !past;
}

}  // namespace

json completion_at(definition_file file, const std::string& utf8_text, text_position at) {
  const definition_view d = view_of(file, utf8_text);
  json items = json::array();
  if (at.line >= d.editor.size()) return items;
  const int32_t line = static_cast<int32_t>(at.line) + 1;
  const int32_t column = static_cast<int32_t>(byte_offset(d.editor[at.line], at.character)) + 1;
  // Keys and headers only where a key is being typed.
  int32_t start = column;
  if (!at_key(d, line, column, &start)) return items;
  const json replace = range_json(d, field_site{line, start}, field_site{line, column});
  // The section the cursor's line stands in: that of its last key field, or
  // of the last one before it.
  std::string section;
  bool general = file == definition_file::line;
  for (const scanned_key& k : d.keys) {
    if (k.key.begin.line > line) break;
    section = k.section;
    general = k.general;
  }
  for (const record_kind& kind : record_kinds()) {
    if (kind.file != file || (file == definition_file::line && kind.general != general)) continue;
    // The current section's own records first.
    const std::string order = (section == kind.section ? "0" : "1") + std::string(kind.key);
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
  const definition_view d = view_of(file, utf8_text);
  json top = json::array();
  json* section = nullptr;
  for (const scanned_key& k : d.keys) {
    const int32_t line = k.key.begin.line;
    if (k.role == key_role::header) {
      const std::string name = ansi_to_utf8(k.key.text.substr(std::min(k.key.text.find('['), k.key.text.size())));
      top.push_back({{"name", name}, {"kind", 3}, {"range", lines_json(d, line, line)},
                     {"selectionRange", lines_json(d, line, line)}, {"children", json::array()}});
      section = &top.back();
      continue;
    }
    if (k.role != key_role::record || k.fields.empty()) continue;
    const std::vector<scanned_field>& v = k.fields;
    const std::string key = k.kinds[0]->key;
    const size_t count = k.kinds[0]->fields.size();
    const std::string at = v[0].text + " m";
    json symbol;
    const scanned_field* name = &k.key;
    if (key == "stazione" && v.size() >= count) {
      name = &v[count - 1];
      symbol = {{"name", ansi_to_utf8(name->text)}, {"kind", 5}, {"detail", "stazione a " + at}};
    } else if (key == "segnale") {
      symbol = {{"name", "segnale " + at}, {"kind", 24}};
    } else if (key == "rallentamento") {
      symbol = {{"name", "rallentamento " + at}, {"kind", 14}};
      if (v.size() > 2) symbol["detail"] = v[1].text + " km/h per " + v[2].text + " m";
    } else if (key == "montagna" && v.size() > 1) {
      symbol = {{"name", "galleria " + v[0].text + "-" + v[1].text + " m"}, {"kind", 23}};
    } else {
      continue;
    }
    // The record's lines, from its key to its last field.
    symbol["range"] = lines_json(d, line, std::max(line, v.back().end.line));
    symbol["selectionRange"] = range_json(d, *name);
    if (section != nullptr) {
      (*section)["range"]["end"] = symbol["range"]["end"];
      (*section)["children"].push_back(symbol);
    } else {
      top.push_back(symbol);
    }
  }
  return top;
}

}  // namespace scenario::tool
