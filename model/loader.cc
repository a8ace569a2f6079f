#include "model/loader.h"

#include "model/ansi_text.h"
#include "model/load_failure.h"
#include "model/load_session.h"

namespace scenario {

load_session::load_session(scenario_model& m, const definition_texts& texts, std::vector<load_warning>* w)
    : model(m), warnings(w) {
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
}

void load_session::close(definition& d) { d.reader.reset(); }

void load_session::record(fault_code code, definition& d, const field_site& at) {
  const int32_t position = fault.error_position;  // kept unless the fault names one
  fault = fault_state{};
  fault.error_code = code;
  fault.error_position = position;
  if (d.reader && at.line > 0) {
    fault.site = source_site{d.which, at.line, at.column, std::string(d.reader->line_text(at.line))};
  }
}

void load_session::record(fault_code code, int32_t position, definition& d, const field_site& at) {
  record(code, d, at);
  fault.error_position = position;
}

void load_session::refuse(fault_code code, definition& d, const field_site& at) {
  record(code, d, at);
  close(d);
}

void load_session::refuse(fault_code code, int32_t position, definition& d, const field_site& at) {
  record(code, position, d, at);
  close(d);
}

bool load_session::placed(const refusal& r, definition& d, int32_t position, const field_site* sites) {
  if (!r) return true;
  const field_site& at = sites[r.argument > 0 ? r.argument : 0];
  if (r.code == kReadFault) throw load_failure(r.detail, at.line, at.column);
  refuse(r.code, position, d, at);
  return false;
}

void load_session::require_cells(definition& d) const {
  if (model.route_cells.empty()) {
    const field_site at = d.reader ? d.reader->last_site() : field_site{};
    throw load_failure("manca la lunghezza del percorso", at.line, at.column);
  }
}

bool load_session::in_range(int32_t position, int32_t margin, definition& d, const field_site& at) {
  require_cells(d);
  if (position < 0 || (static_cast<double>(position) + margin) / 50.0 > model.last_cell) {
    record(kOutsideRouteFault, position, d, at);
    return false;
  }
  return true;
}

void load_session::warn(warning_kind kind, definition& d, const field_site& at, const std::string& subject) {
  if (warnings == nullptr) return;
  const std::string text = d.reader ? std::string(d.reader->line_text(at.line)) : std::string();
  warnings->push_back(load_warning{kind, source_site{d.which, at.line, at.column, text}, subject});
}

void load_session::warn_unknown(definition& d, const std::string& field) {
  const field_site at = d.reader->last_site();
  if (at.line == d.last_warned_line) return;
  d.last_warned_line = at.line;
  // Section headers are dropped by design.
  if (!field.empty() && field.front() == '[' && field.back() == ']') return;
  warn(warning_kind::unknown_field, d, at, field);
}

void load_session::skip_comment(definition& d, std::string* key) {
  field_reader& r = *d.reader;
  if (r.last_ended_by_comma()) {
    warn(warning_kind::comment_with_comma, d, r.last_site(), *key);
    d.last_warned_line = r.last_site().line;  // what follows the comma is the same mistake
  }
  *key = r.read_text();
}

bool load_session::next_record_key(definition& d, record_key* key) {
  constexpr int kRecordComments = 2;
  field_reader& r = *d.reader;
  if (r.ended()) return false;
  key->text = r.read_text();
  if (r.ended()) return false;
  for (int i = 0; i < kRecordComments && contains(key->text, "-"); ++i) {
    skip_comment(d, &key->text);
    if (r.ended()) return false;
  }
  key->at = r.last_site();
  key->lower = to_lower_ansi(key->text);
  key->matches = 0;
  model.current_field = key->text;
  return true;
}

void load_session::count_match(definition& d, record_key& key) {
  if (++key.matches == 2) warn(warning_kind::ambiguous_key, d, key.at, key.text);
}

void load_session::after_record(definition& d, const record_key& key, bool expected_unmatched) {
  if (key.matches > 0 && d.after_end_header) warn(warning_kind::after_end, d, key.at, key.text);
  if (contains(key.lower, "[fine]")) d.after_end_header = true;
  if (key.matches == 0 && !expected_unmatched) warn_unknown(d, key.text);
  // The fields of a record dropped on purpose are the same record.
  if (key.matches == 0 && expected_unmatched) d.last_warned_line = key.at.line;
}

route_cell& load_session::cell(int64_t index) { return model.route_cells.at(static_cast<size_t>(index)); }

fault_state memorizza_dati(scenario_model& model, const definition_texts& texts, std::vector<load_warning>* warnings) {
  model.item_table[kRouteItem].text = model.route_name;
  model.item_table[kRepeatItem].text = model.train_number;

  load_session s(model, texts, warnings);
  if (!texts.line) {
    s.fault.error_code = kNoLineDefinitionFault;
    return s.fault;
  }
  try {
    if (load_line_definition(s)) load_train_definition(s);
  } catch (const load_failure& failure) {
    source_site site;
    if (s.current != nullptr && failure.line() > 0) {
      const definition& d = *s.current;
      site = source_site{d.which, failure.line(), failure.column(),
                         d.reader ? std::string(d.reader->line_text(failure.line())) : std::string()};
    } else if (s.current != nullptr) {
      site.file = s.current->which;
    }
    const int32_t position = s.fault.error_position;
    s.fault = fault_state{kReadFault, position, site, failure.what()};
  }
  return s.fault;
}

}  // namespace scenario
