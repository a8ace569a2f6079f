#include "model/loader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "model/ansi_text.h"
#include "model/key_names.h"
#include "model/load_failure.h"
#include "model/load_session.h"
#include "model/record_fields.h"
#include "model/record_keys.h"

namespace scenario {

namespace {

// Which field of a short record came from where.
std::string spill_words(const field_reader::spill& spill) {
  const std::string field = "il campo " + std::to_string(spill.field);
  if (spill.past_end) return field + " manca, il file finisce prima";
  return field + " e' stato letto dalla riga " + std::to_string(spill.line);
}

// The fault of a short record: which field came from where, what went
// wrong then and, when the key field holds the values, that the comma
// separates them.
std::string short_record_words(const definition& d, const field_reader::spill& spill, const std::string& detail) {
  const std::string hint = separator_hint(d.which, d.record_key);
  return "il record ha meno campi del previsto: " + spill_words(spill) + (detail.empty() ? "" : ": " + detail) +
         (hint.empty() ? "" : "; " + hint);
}

}  // namespace

load_session::load_session(scenario_model& m, const definition_texts& texts, std::vector<load_warning>* w,
                           std::vector<fault_state>* every)
    : model(m), warnings(w), every_fault(every) {
  line.which = definition_file::line;
  line.text = &texts.line;
  train.which = definition_file::train;
  train.text = &texts.train;
}

void load_session::open(definition& d) {
  current = &d;
  if (!d.text->has_value()) {
    throw load_failure(d.which == definition_file::line ? "manca la definizione della linea"
                                                        : "manca la definizione del treno");
  }
  d.reader.emplace(**d.text);
  warn_not_ansi(d);
}

void load_session::warn_not_ansi(definition& d) {
  const std::string& text = **d.text;
  constexpr char kHowToSave[] =
      "il formato e' Windows-1252 (ANSI): salva il file con quella codifica, senza BOM, o le lettere accentate "
      "arriveranno sbagliate al simulatore";
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
    warn(warning_kind::not_ansi_text, d, field_site{1, 1}, "", std::string("il file inizia con un BOM UTF-8; ") + kHowToSave);
    return;
  }
  // The first well-formed multi-byte UTF-8 sequence: in Windows-1252 text
  // such byte pairs are all but unheard of.
  for (size_t i = 0; i < text.size(); ++i) {
    // Eight bytes of plain ASCII at a time: most of a definition.
    while (i + 8 <= text.size()) {
      uint64_t eight;
      std::memcpy(&eight, text.data() + i, 8);
      if ((eight & 0x8080808080808080u) != 0) break;
      i += 8;
    }
    if (i == text.size()) break;
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0xC2) continue;  // no sequence starts here
    const size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > text.size()) continue;
    bool sequence = true;
    for (size_t k = 1; k < n; ++k) sequence = sequence && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (!sequence) continue;
    warn(warning_kind::not_ansi_text, d, d.reader->site_at(i), text.substr(i, n),
         std::string("testo in UTF-8; ") + kHowToSave);
    return;
  }
}

void load_session::close(definition& d) { d.reader.reset(); }

void load_session::record(fault_code code, definition& d, const field_site& at) {
  const int32_t position = fault.error_position;  // kept unless the fault names one
  record(code, position, d, at);
}

void load_session::record(const fault_state& f) {
  fault = f;
  add(f);
}

fault_state load_session::fault_at(fault_code code, int32_t position, definition& d, const field_site& at,
                                   const std::string& detail) const {
  fault_state f;
  f.error_code = code;
  f.error_position = position;
  f.detail = detail;
  field_site where = at;
  if (d.reader) {
    // A record short of fields read its values from the next line: the
    // fault those values cause is the short record's.
    const field_reader::spill spill = d.reader->record_spill();
    if (spill.field > 0 && at.line >= spill.line) {
      where = d.record_at;
      f.detail = short_record_words(d, spill, detail);
    }
  }
  f.site.file = d.which;
  if (d.reader && where.line > 0) {
    f.site = source_site{d.which, where.line, where.column, std::string(d.reader->line_text(where.line))};
  }
  return f;
}

void load_session::record(fault_code code, int32_t position, definition& d, const field_site& at,
                          const std::string& detail) {
  record(fault_at(code, position, d, at, detail));
}

void load_session::record_unless_found(fault_code code, definition& d, const field_site& at,
                                       const std::string& detail) {
  const fault_state f = fault_at(code, fault.error_position, d, at, detail);
  if (fault) {
    add(f);
  } else {
    record(f);
  }
}

void load_session::refuse(fault_code code, definition& d, const field_site& at, const std::string& detail) {
  record(code, fault.error_position, d, at, detail);
  if (!keeps_going()) close(d);
}

void load_session::refuse(fault_code code, int32_t position, definition& d, const field_site& at,
                          const std::string& detail) {
  record(code, position, d, at, detail);
  if (!keeps_going()) close(d);
}

void load_session::refuse(fault_code code, int32_t position, definition& d, const field_site& at,
                          const std::string& detail, const record_place& met) {
  fault_state f = fault_at(code, position, d, at, detail);
  f.met = met;
  record(f);
  if (!keeps_going()) close(d);
}

fault_state load_session::failure_fault(const load_failure& failure) const {
  fault_state f;
  f.error_code = kReadFault;
  f.error_position = fault.error_position;
  f.detail = failure.what();
  if (current == nullptr) return f;
  const definition& d = *current;
  f.site.file = d.which;
  if (!d.reader) return f;
  field_site at{failure.line(), failure.column()};
  // A field read from a later line than its record's key (or past the end
  // of the file) means the record was short: the fault is its own.
  const field_reader::spill spill = d.reader->record_spill();
  if (spill.field > 0 && (failure.line() == 0 || failure.line() >= spill.line)) {
    at = d.record_at;
    f.detail = short_record_words(d, spill, f.detail);
  }
  if (at.line > 0) f.site = source_site{d.which, at.line, at.column, std::string(d.reader->line_text(at.line))};
  return f;
}

bool load_session::placed(const refusal& r, definition& d, int32_t position, const field_site* sites) {
  if (!r) return true;
  const field_site& at = sites[r.argument > 0 ? r.argument : 0];
  if (r.code == kReadFault) throw load_failure(r.detail, at.line, at.column);
  refuse(r.code, position, d, at, r.detail, r.met);
  return false;
}

void load_session::require_cells(definition& d) const {
  if (model.route_cells.empty()) no_route_length(d.reader ? d.reader->last_site() : field_site{});
}

void load_session::no_route_length(const field_site& needed_at) const {
  const field_site written = route_length_site(line.text->value_or(""));
  if (written.line > 0) {
    throw load_failure("la lunghezza del percorso e' scritta fuori dalla sezione [generale], dove non e' letta: "
                       "va scritta in [generale], prima dei record che ne hanno bisogno",
                       written.line, written.column);
  }
  throw load_failure("manca la lunghezza del percorso: va scritta nella sezione [generale], per esempio "
                     "\"lunghezza percorso, 40000\"",
                     needed_at.line, needed_at.column);
}

void load_session::refuse_lost_record(const definition& d) const {
  const field_reader::spill spill = d.reader->record_spill();
  if (spill.field == 0 || spill.past_end) return;
  // A comment is no record; a general-section key there was never read.
  const std::string_view key = lost_record_key(d.reader->line_text(spill.line), d.which);
  if (key.empty()) return;
  throw load_failure("il record \"" + std::string(key) + "\" della riga " + std::to_string(spill.line) +
                     " e' andato perso");
}

bool load_session::in_range(int32_t position, int32_t margin, definition& d, const field_site& at) {
  require_cells(d);
  if (position < 0 || (static_cast<double>(position) + margin) / 50.0 > model.last_cell) {
    record(kOutsideRouteFault, position, d, at);
    return false;
  }
  const int32_t route_length = model.item_table[kTrainItem].end;
  if (position > route_length) {
    warn(warning_kind::beyond_route_end, d, at, "",
         std::to_string(position) + " m su un percorso di " + std::to_string(route_length) +
             " m: accettata solo nel margine di 7000 m oltre la fine");
  }
  return true;
}

void load_session::warn(warning_kind kind, definition& d, const field_site& at, const std::string& subject,
                        const std::string& detail) {
  if (warnings == nullptr) return;
  const std::string text = d.reader ? std::string(d.reader->line_text(at.line)) : std::string();
  warnings->push_back(load_warning{kind, source_site{d.which, at.line, at.column, text}, subject, detail});
}

void load_session::warn(warning_kind kind, const source_site& at, const std::string& subject,
                        const std::string& detail) {
  if (warnings != nullptr) warnings->push_back(load_warning{kind, at, subject, detail});
}

void load_session::warn_unknown(definition& d, const std::string& field) {
  const field_site at = d.reader->last_site();
  if (at.line == d.last_warned_line) return;
  d.last_warned_line = at.line;
  if (!field.empty() && field.front() == '[' && field.back() == ']') {
    // Section headers are dropped by design, but one that neither
    // definition has is usually a misspelt one.
    if (!is_known_section(field)) {
      const std::string nearest = nearest_section(field);
      warn(warning_kind::unknown_section, d, at, field, nearest.empty() ? "" : "forse: " + nearest);
    }
    return;
  }
  const std::string hint = misplaced_key_hint(d.which, d.general_section, field);
  if (!hint.empty()) {
    warn(warning_kind::unknown_field, d, at, field, hint);
    return;
  }
  const std::string nearest = nearest_key(d.which, field);
  warn(warning_kind::unknown_field, d, at, field, nearest.empty() ? "" : "forse: " + nearest);
}

void load_session::skip_comment(definition& d, std::string* key) {
  field_reader& r = *d.reader;
  // A comment begins with "-"; a record whose values, one of them
  // negative, are separated by blanks or semicolons is taken for one.
  const size_t first = key->find_first_not_of(" \t");
  if (first != std::string::npos && (*key)[first] != '-') {
    const std::string hint = separator_hint(d.which, *key);
    if (!hint.empty()) warn(warning_kind::record_as_comment, d, r.last_site(), *key, ansi_to_utf8(hint));
  }
  if (r.last_ended_by_comma()) {
    warn(warning_kind::comment_with_comma, d, r.last_site(), *key);
    d.last_warned_line = r.last_site().line;  // what follows the comma is the same mistake
  }
  *key = r.read_text();
}

bool load_session::next_record_key(definition& d, record_key* key) {
  field_reader& r = *d.reader;
  if (r.ended()) return false;
  key->text = r.read_text();
  if (r.ended()) return false;
  for (int i = 0; i < kRecordComments && is_comment_key(key->text); ++i) {
    skip_comment(d, &key->text);
    if (r.ended()) return false;
  }
  key->at = r.last_site();
  r.mark_record();
  d.record_at = key->at;
  d.record_key = key->text;
  key->lower = to_lower_ansi(key->text);
  key->matches = 0;
  key->objects.clear();
  return true;
}

std::optional<record_object> placed_object(record_id id) {
  switch (id) {
    case record_id::gradient: return record_object::gradient;
    case record_id::curve: return record_object::curve;
    case record_id::tunnel: return record_object::tunnel;
    case record_id::speed_board: return record_object::speed_board;
    case record_id::name_board: return record_object::name_board;
    case record_id::speed: return record_object::speed;
    case record_id::signal: return record_object::signal;
    case record_id::slowdown: return record_object::slowdown;
    case record_id::code_point: return record_object::code_point;
    case record_id::station: return record_object::station;
    default: return std::nullopt;
  }
}

void load_session::count_match(definition& d, record_key& key, std::optional<record_object> object) {
  // Both warnings are about the key alone, so they are given before its
  // fields are read: a fault in those fields stops a compile there.
  if (++key.matches == 1 && d.after_end_header) warn(warning_kind::after_end, d, key.at, key.text);
  if (key.matches == 2) warn(warning_kind::ambiguous_key, d, key.at, key.text);
  if (object && records != nullptr) key.objects.emplace_back(*object, d.reader->record_numbers().size());
}

void load_session::after_record(definition& d, const record_key& key, bool expected_unmatched) {
  if (records != nullptr) {
    // A key that matched two kinds read the fields of both, one after the other.
    const std::vector<int64_t>& numbers = d.reader->record_numbers();
    for (size_t i = 0; i < key.objects.size(); ++i) {
      const size_t begin = key.objects[i].second;
      const size_t end = i + 1 < key.objects.size() ? key.objects[i + 1].second : numbers.size();
      records->push_back(loaded_record{key.objects[i].first, d.which, key.at.line, key.text,
                                       std::vector<int64_t>(numbers.begin() + static_cast<std::ptrdiff_t>(begin),
                                                            numbers.begin() + static_cast<std::ptrdiff_t>(end)),
                                       std::string(d.reader->record_text()), d.record_whole});
    }
  }
  warn_short_record(d, key.at, key.text);
  if (contains(key.lower, "[fine]")) d.after_end_header = true;
  if (key.matches == 0 && !expected_unmatched) warn_unknown(d, key.text);
  // The fields of a record dropped on purpose are the same record.
  if (key.matches == 0 && expected_unmatched) d.last_warned_line = key.at.line;
}

void load_session::warn_short_record(definition& d, const field_site& key_at, const std::string& key) {
  if (!d.reader) return;
  const field_reader::spill spill = d.reader->record_spill();
  if (spill.field == 0) return;
  const std::string hint = separator_hint(d.which, key);
  warn(warning_kind::short_record, d, key_at, key,
       spill_words(spill) + (hint.empty() ? "" : "; " + ansi_to_utf8(hint)));
  // What is left of the line read in belongs to the same mistake.
  d.last_warned_line = spill.line;
}

route_cell& load_session::cell(int64_t index) { return model.route_cells.at(static_cast<size_t>(index)); }

namespace {

// Loads both definitions in `s`; the fault that stopped it, or the last.
fault_state load(load_session& s, const definition_texts& texts, const std::function<void()>& line_read = {}) {
  s.model.item_table[kRouteItem].text = s.model.identity.route_name;
  s.model.item_table[kRepeatItem].text = s.model.identity.train_number;
  if (!texts.line) {
    fault_state missing;
    missing.error_code = kNoLineDefinitionFault;
    s.record(missing);
    return s.fault;
  }
  try {
    if (load_line_definition(s)) {
      if (line_read) line_read();
      load_train_definition(s);
    }
  } catch (const load_failure& failure) {
    s.record(s.failure_fault(failure));
  }
  return s.fault;
}

}  // namespace

fault_state memorizza_dati(scenario_model& model, const definition_texts& texts, std::vector<load_warning>* warnings,
                           const std::function<void()>& line_read) {
  load_session s(model, texts, warnings);
  return load(s, texts, line_read);
}

std::vector<fault_state> every_load_fault(scenario_model& model, const definition_texts& texts,
                                          std::vector<load_warning>* warnings, std::vector<loaded_record>* records) {
  std::vector<fault_state> found;
  load_session s(model, texts, warnings, &found);
  s.records = records;
  load(s, texts);
  return found;
}

}  // namespace scenario
