// State shared by the two halves of memorizza_dati during one call: the
// definitions being read, the board counter, the fault found, and the ways
// a half records a fault or a warning. Internal to the loader.
#ifndef MODEL_LOAD_SESSION_H_
#define MODEL_LOAD_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/field_reader.h"
#include "model/load_failure.h"
#include "model/loader.h"
#include "model/model.h"
#include "model/placement.h"
#include "model/record_fields.h"

namespace scenario {

struct definition {
  definition_file which = definition_file::none;
  const std::optional<std::string>* text = nullptr;  // nullopt: no such file
  std::optional<field_reader> reader;  // set while the definition is read
  int32_t last_warned_line = 0;        // one unknown-field warning per line
  bool after_end_header = false;       // "[fine]" has been read
  field_site record_at;                // the key of the record being read
  std::string record_key;              // and its key field as written
  bool general_section = false;        // the line definition's general section is being read
  bool record_whole = true;            // the record being read was neither refused nor cut short
};

// Positions of the records of one kind that must stand in ascending order.
struct ascending_positions {
  bool any = false;
  int32_t last = 0;
  // Takes the next record's position; false when it does not come after
  // the one before.
  bool next(int32_t position) {
    const bool ascends = !any || position > last;
    any = true;
    last = position;
    return ascends;
  }
};

// What the reading of one record asks of its loop.
enum class record_result { next, leave_loop, stop };

// One key field of a record loop and the record kinds it matched.
struct record_key {
  std::string text;
  std::string lower;  // for the case-insensitive tests
  field_site at;
  int matches = 0;
  // The objects it places, each with the count of numbers read before its
  // fields.
  std::vector<std::pair<record_object, size_t>> objects;
};

// The object a record of kind `id` places along the line, for the views
// that show where it came from; nullopt for a kind that places none.
std::optional<record_object> placed_object(record_id id);

class load_session {
 public:
  load_session(scenario_model& m, const definition_texts& texts, std::vector<load_warning>* w,
               std::vector<fault_state>* every = nullptr);

  scenario_model& model;
  std::vector<load_warning>* warnings;  // null: not collected
  // Set when reading goes on past every fault at the next record, as a
  // checker does: each fault found is added here.
  std::vector<fault_state>* every_fault;
  bool keeps_going() const { return every_fault != nullptr; }
  std::vector<loaded_record>* records = nullptr;  // null: not collected
  int32_t board_counter = kFirstBoardItem;  // item index of the next board text
  definition line;
  definition train;
  definition* current = nullptr;  // the definition opened last
  // The last fault recorded; written by record(const fault_state&) only.
  fault_state fault;
  // Fault 2 at the first kilometric progression off the 50 m grid, for
  // the check made once both definitions are read; no site: none is off.
  fault_state off_grid_progression;

  // Starts reading the definition; a missing one is a load failure.
  void open(definition& d);
  // Warns about text that is not Windows-1252: a byte order mark or UTF-8.
  void warn_not_ansi(definition& d);
  // Ends reading the definition.
  void close(definition& d);

  // The one way a fault is recorded: it becomes the last fault and,
  // reading on past faults, joins the list. Every other way to fail a
  // load ends here: refuse() and placed() call it, and a load_failure
  // thrown by a record is recorded by the load itself (reading on past
  // faults, read_record() lists it and goes on with the next record).
  void record(const fault_state& f);
  // Records a fault at the field `at` of `d`.
  void record(fault_code code, definition& d, const field_site& at);
  void record(fault_code code, int32_t position, definition& d, const field_site& at, const std::string& detail = "");
  // Records a fault that does not replace one recorded before it; reading
  // on past faults it is added all the same.
  void record_unless_found(fault_code code, definition& d, const field_site& at, const std::string& detail);
  // A fault at the field `at` of `d`, for record(): a record short of
  // fields is blamed for what its borrowed fields cause.
  fault_state fault_at(fault_code code, int32_t position, definition& d, const field_site& at,
                       const std::string& detail) const;
  // The fault of a read failure, at the field to blame: a record that was
  // short of fields is blamed on its own line, where the field is missing.
  fault_state failure_fault(const load_failure& failure) const;
  // Runs the reading of one record. Reading on past faults, a failure is
  // recorded, a refusal does not stop the loop, and after either reading
  // resumes on the line after the record's key; otherwise both stop it.
  template <class Record>
  record_result read_record(definition& d, Record record) {
    d.record_whole = true;
    if (!keeps_going()) {
      const record_result result = record();
      if (result == record_result::next) refuse_lost_record(d);
      return result;
    }
    try {
      // A refused record may have fields left unread: they are passed over.
      if (record() != record_result::next) {
        d.record_whole = false;
        d.reader->skip_to_line_after_record();
      } else {
        refuse_lost_record(d);
      }
    } catch (const load_failure& failure) {
      d.record_whole = false;
      add(failure_fault(failure));
      d.reader->skip_to_line_after_record();
    }
    return record_result::next;
  }
  // A record short of fields that read the key of a record on a later line
  // as one of its own fields has lost that record: a read failure.
  void refuse_lost_record(const definition& d) const;
  // The route length was not read before a record of the line definition
  // that needs the cells: a read failure at the route length record when
  // the definition has one where it is not read, else at `needed_at`.
  [[noreturn]] void no_route_length(const field_site& needed_at) const;
  // Adds a fault found while reading on past faults.
  void add(const fault_state& f) {
    if (every_fault != nullptr) every_fault->push_back(f);
  }
  // Records a fault that stops loading, then closes `d`.
  void refuse(fault_code code, definition& d, const field_site& at, const std::string& detail = "");
  void refuse(fault_code code, int32_t position, definition& d, const field_site& at, const std::string& detail = "");
  // The same for a record that meets the record `met` in one cell.
  void refuse(fault_code code, int32_t position, definition& d, const field_site& at, const std::string& detail,
              const record_place& met);
  // The record being read in `d`, for the cells it takes.
  static record_place here(const definition& d) { return record_place{d.which, d.record_at.line}; }
  // Takes a placement procedure's answer on the record at `position`
  // whose fields stand at `sites` (one per argument): false when it refused
  // the record, which then stops loading. A value that does not fit its
  // field is a read failure at that field.
  bool placed(const refusal& r, definition& d, int32_t position, const field_site* sites);

  // The route cells must exist before any record can be placed.
  void require_cells(definition& d) const;
  // Range test of a record position: refuses, with fault 15, a position
  // below 0 or one whose (position + margin) / 50 lies beyond last_cell,
  // and warns about one past the route length that the margin accepts.
  bool in_range(int32_t position, int32_t margin, definition& d, const field_site& at);

  void warn(warning_kind kind, definition& d, const field_site& at, const std::string& subject,
            const std::string& detail = "");
  // Warns at a place noted while its definition was being read.
  void warn(warning_kind kind, const source_site& at, const std::string& subject, const std::string& detail = "");
  // Warns when the record just read took fields from a later line.
  void warn_short_record(definition& d, const field_site& key_at, const std::string& key);
  // Warns once per line about a field that matched no key.
  void warn_unknown(definition& d, const std::string& field);

  route_cell& cell(int64_t index);
  // A value that holds from one record's position to the next: gives
  // `set` the cells from `*fill` up to `until` - 1 (at least the one at
  // `*fill`, even when a record is out of order), none past the last cell,
  // and leaves `*fill` after the last cell given.
  template <class Set>
  void fill_cells(int32_t* fill, int64_t until, Set set) {
    do {
      if (*fill <= model.last_cell) set(cell(*fill));
      ++*fill;
    } while (*fill < until);
  }

  // Replaces a comment key field by the field after it, warning when a
  // comma ends the comment (the rest of its line becomes a key).
  void skip_comment(definition& d, std::string* key);
  // The next key of a record loop: up to two comment fields in a row are
  // skipped. False once the file has ended: a key that is the last field
  // of its file is never acted on.
  bool next_record_key(definition& d, record_key* key);
  // Counts one more kind matched by `key`, which places `object` if any;
  // warns at the second, before its fields are read, since reading them is
  // what then usually fails.
  void count_match(definition& d, record_key& key, std::optional<record_object> object = std::nullopt);
  // After the tests on a key: the objects it placed to `records`, then the
  // warnings for a record after "[fine]" and for a field that matched
  // nothing (unless `expected_unmatched`).
  void after_record(definition& d, const record_key& key, bool expected_unmatched = false);

};

// Reads `n` 32-bit fields into `values` and where each stands into `sites`.
inline void read_longs(field_reader& r, int32_t* values, field_site* sites, int n) {
  for (int i = 0; i < n; ++i) {
    values[i] = r.read_long();
    sites[i] = r.last_site();
  }
}

// The line definition's general section, from the field after
// "[generale]" to the header that closes it; false when loading must stop.
bool read_general_section(load_session& s);
// Reads up to the field that holds "[generale]"; false when none is found
// before the end of the definition.
bool find_general_header(definition& d);

// The two halves; each returns false when loading must stop there.
bool load_line_definition(load_session& s);
void load_train_definition(load_session& s);

}  // namespace scenario

#endif  // MODEL_LOAD_SESSION_H_
