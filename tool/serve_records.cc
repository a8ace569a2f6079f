#include "tool/serve_records.h"

#include "model/ansi_text.h"
#include "model/field_reader.h"
#include "model/load_failure.h"

namespace scenario::tool {
namespace {

constexpr int kGeneralComments = 10;
constexpr int kRecordComments = 2;

struct record_reader {
  field_reader reader;
  definition_file file;
  std::vector<source_record>* out;

  // Reads one record's fields: `longs` numbers, then a text when `text`.
  void take(source_kind kind, const std::string& key, int32_t line, int longs, bool text) {
    source_record r{kind, file, line, key, {}, {}};
    for (int i = 0; i < longs; ++i) r.numbers.push_back(reader.read_long());
    if (text) r.text = reader.read_text();
    out->push_back(std::move(r));
  }
  // A station: its 8-bit and 16-bit fields read as such, so that a field
  // that does not fit is passed over as the loader refuses it.
  void take_station(const std::string& key, int32_t line) {
    source_record r{source_kind::station, file, line, key, {}, {}};
    r.numbers.push_back(reader.read_long());
    r.numbers.push_back(reader.read_byte());
    r.numbers.push_back(reader.read_long());
    for (int i = 0; i < 3; ++i) r.numbers.push_back(reader.read_byte());          // S1 S2 S3
    for (int i = 0; i < 2; ++i) r.numbers.push_back(reader.read_integer());       // S4 S5
    r.numbers.push_back(reader.read_byte());                                      // S6
    for (int i = 0; i < 3; ++i) r.numbers.push_back(reader.read_integer());       // S7 S8 S9
    r.numbers.push_back(reader.read_byte());                                      // S10
    for (int i = 0; i < 3; ++i) r.numbers.push_back(reader.read_long());          // time
    r.text = reader.read_text();
    out->push_back(std::move(r));
  }
  void skip_fields(int n) {
    for (int i = 0; i < n; ++i) reader.read_long();
  }

  // Runs `read` on the record whose key was just read; a failure passes
  // over the rest of the key's line, as a checker goes on.
  template <class Read>
  void record(Read read) {
    reader.mark_record();
    try {
      read();
    } catch (const load_failure&) {
      reader.skip_to_line_after_record();
    }
  }

  bool find_general() {
    while (!reader.ended()) {
      if (contains(to_lower_ansi(reader.read_text()), "[generale]")) return !reader.ended();
    }
    return false;
  }

  // The next record key; false once the file has ended.
  bool next_key(std::string* key, int32_t* line) {
    if (reader.ended()) return false;
    *key = reader.read_text();
    if (reader.ended()) return false;
    for (int i = 0; i < kRecordComments && contains(*key, "-"); ++i) {
      *key = reader.read_text();
      if (reader.ended()) return false;
    }
    *line = reader.last_site().line;
    return true;
  }
};

bool is_header(const std::string& key) {
  const size_t first = key.find_first_not_of(" \t");
  return contains(key, "[") && contains(key, "]") && !(first != std::string::npos && key[first] == '-');
}

// The general section places nothing; its records are read only to keep
// in step with the loader's fields. False when the file ended there.
bool pass_general_section(record_reader& rr) {
  field_reader& r = rr.reader;
  while (true) {
    if (r.ended()) return false;
    std::string key = r.read_text();
    if (r.ended()) return false;
    for (int i = 0; i < kGeneralComments && contains(key, "-"); ++i) key = r.read_text();
    const std::string lower = to_lower_ansi(key);
    rr.record([&] {
      if (contains(lower, "percorso") && contains(lower, "lunghezza")) rr.skip_fields(1);
      for (const char* which : {"tre", "due", "uno"}) {
        if (contains(key, which) && contains(key, "progressiva")) rr.skip_fields(3);
      }
      for (const char* which : {"uno", "due", "tre"}) {
        if (contains(key, "sfondo") && contains(key, which)) rr.skip_fields(1);
      }
      if (contains(key, "segnali") && contains(key, "ripetizione")) rr.skip_fields(2);
    });
    if (is_header(key)) return true;
  }
}

void read_line_records(record_reader& rr) {
  if (!rr.find_general() || !pass_general_section(rr)) return;
  std::string key;
  int32_t line = 0;
  while (rr.next_key(&key, &line)) {
    const std::string k = to_lower_ansi(key);
    rr.record([&] {
      if (contains(k, "pendenza")) rr.take(source_kind::gradient, key, line, 2, false);
      if (contains(k, "curva")) rr.take(source_kind::curve, key, line, 2, false);
      if (contains(k, "montagna")) rr.take(source_kind::tunnel, key, line, 3, false);
      if (contains(k, "indicatori_v")) rr.take(source_kind::speed_board, key, line, 9, false);
      if (contains(k, "indicat") && contains(k, "cartello")) rr.take(source_kind::name_board, key, line, 1, true);
    });
  }
}

void read_train_records(record_reader& rr) {
  field_reader& r = rr.reader;
  while (!r.ended()) {
    if (contains(to_lower_ansi(r.read_text()), "[generale]")) break;
  }
  std::string key;
  int32_t line = 0;
  while (rr.next_key(&key, &line)) {
    const std::string k = to_lower_ansi(key);
    rr.record([&] {
      if (contains(k, "frenata") && contains(k, "massa")) rr.skip_fields(1);
      if (contains(k, "vetture")) rr.skip_fields(1);
      if (contains(k, "velocit")) rr.take(source_kind::speed, key, line, 2, false);
      if (contains(k, "aderenza")) rr.skip_fields(2);
      if (contains(k, "orologio")) {
        for (int i = 0; i < 3; ++i) r.read_integer();
      }
      if (contains(k, "sabbia")) r.read_integer();
      if (contains(k, "segnale")) rr.take(source_kind::signal, key, line, 11, false);
      if (contains(k, "rallentamento")) rr.take(source_kind::slowdown, key, line, 6, false);
      if (contains(k, "abbattimento")) rr.take(source_kind::code_point, key, line, 2, false);
      if (contains(k, "stazione")) rr.take_station(key, line);
    });
  }
}

}  // namespace

std::vector<source_record> read_source_records(const definition_texts& texts) {
  std::vector<source_record> records;
  if (texts.line) {
    record_reader rr{field_reader(*texts.line), definition_file::line, &records};
    read_line_records(rr);
  }
  if (texts.train) {
    record_reader rr{field_reader(*texts.train), definition_file::train, &records};
    read_train_records(rr);
  }
  return records;
}

}  // namespace scenario::tool
