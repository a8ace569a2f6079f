#include "model/loader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/ansi_text.h"
#include "model/file_names.h"
#include "model/load_failure.h"
#include "model/load_session.h"

namespace scenario {
namespace {

constexpr int32_t kReadFailure = 25;
constexpr int32_t kNoLineDefinition = 101;
constexpr int32_t kRangeFault = 15;

bool file_exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

}  // namespace

load_session::load_session(scenario_model& m, const load_options& o) : model(m), options(o) {
  line.which = definition_file::line;
  line.path = path_in(o.directory, line_definition_name(m.route_name));
  train.which = definition_file::train;
  train.path = path_in(o.directory, train_definition_name(m.route_name, m.train_number));
}

void load_session::open(definition& d) {
  std::ifstream in(d.path, std::ios::binary);
  if (!in) throw load_failure("impossibile aprire " + d.path);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw load_failure("impossibile leggere " + d.path);
  d.reader.emplace(std::move(text).str());
  current = &d;
}

void load_session::close_and_delete(definition& d) {
  d.reader.reset();
  if (options.delete_definitions) std::remove(d.path.c_str());
}

void load_session::close_and_delete_all() {
  for (definition* d : {&line, &train}) {
    d->reader.reset();
    if (options.delete_definitions && file_exists(d->path)) std::remove(d->path.c_str());
  }
}

void load_session::record(int32_t code, definition& d, const field_site& at) {
  model.fault.error_code = code;
  model.fault.site = source_site{};
  if (d.reader && at.line > 0) {
    model.fault.site = source_site{d.which, at.line, at.column, std::string(d.reader->line_text(at.line))};
  }
  model.fault.detail.clear();
}

void load_session::record(int32_t code, int32_t position, definition& d, const field_site& at) {
  record(code, d, at);
  model.fault.error_position = position;
}

void load_session::refuse(int32_t code, definition& d, const field_site& at) {
  record(code, d, at);
  close_and_delete(d);
}

void load_session::refuse(int32_t code, int32_t position, definition& d, const field_site& at) {
  record(code, position, d, at);
  close_and_delete(d);
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
    record(kRangeFault, position, d, at);
    return false;
  }
  return true;
}

void load_session::warn(warning_kind kind, definition& d, const field_site& at, const std::string& subject) {
  if (options.warnings == nullptr) return;
  const std::string text = d.reader ? std::string(d.reader->line_text(at.line)) : std::string();
  options.warnings->push_back(load_warning{kind, source_site{d.which, at.line, at.column, text}, subject});
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
}

route_cell& load_session::cell(int64_t index) { return model.route_cells.at(static_cast<size_t>(index)); }

void memorizza_dati(scenario_model& model, const load_options& options) {
  model.item_table[kRouteItem].text = model.route_name;
  model.item_table[kRepeatItem].text = model.train_number;

  load_session s(model, options);
  if (!file_exists(s.line.path)) {
    model.fault.error_code = kNoLineDefinition;
    model.fault.site = source_site{};
    return;
  }
  try {
    if (load_line_definition(s)) load_train_definition(s);
  } catch (const load_failure& failure) {
    source_site site;
    if (s.current != nullptr && failure.line() > 0) {
      const definition& d = *s.current;
      site = source_site{d.which, failure.line(), failure.column(),
                         d.reader ? std::string(d.reader->line_text(failure.line())) : std::string()};
    }
    s.close_and_delete_all();
    model.fault.error_code = kReadFailure;
    model.fault.site = site;
    model.fault.detail = failure.what();
  }
}

}  // namespace scenario
