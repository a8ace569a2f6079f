// State shared by the two halves of memorizza_dati during one call: the
// definitions being read, the board counter, and the ways a half records a
// fault or a warning. Internal to the loader.
#ifndef MODEL_LOAD_SESSION_H_
#define MODEL_LOAD_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>

#include "model/field_reader.h"
#include "model/loader.h"
#include "model/model.h"

namespace scenario {

struct definition {
  definition_file which = definition_file::none;
  std::string path;
  std::optional<field_reader> reader;  // set while the file is open
  int32_t last_warned_line = 0;        // one unknown-field warning per line
  bool after_end_header = false;       // "[fine]" has been read
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

// One key field of a record loop and the record kinds it matched.
struct record_key {
  std::string text;
  std::string lower;  // for the case-insensitive tests
  field_site at;
  int matches = 0;
};

class load_session {
 public:
  load_session(scenario_model& m, const load_options& o);

  scenario_model& model;
  const load_options& options;
  int32_t board_counter = kFirstBoardItem;  // item index of the next board text
  definition line;
  definition train;
  definition* current = nullptr;  // the definition opened last

  // Reads the whole definition; a file that cannot be read is a load failure.
  void open(definition& d);
  // Closes the definition and deletes it (the program's own files only).
  void close_and_delete(definition& d);
  // The failure handler's clean-up: every file closed, whichever definition
  // still exists deleted.
  void close_and_delete_all();

  // Records a fault at the field `at` of `d`.
  void record(int32_t code, definition& d, const field_site& at);
  void record(int32_t code, int32_t position, definition& d, const field_site& at);
  // Records a fault that stops loading, then closes and deletes `d`.
  void refuse(int32_t code, definition& d, const field_site& at);
  void refuse(int32_t code, int32_t position, definition& d, const field_site& at);

  // The route cells must exist before any record can be placed.
  void require_cells(definition& d) const;
  // Range test of a record position: refuses, with fault 15, a position
  // below 0 or one whose (position + margin) / 50 lies beyond last_cell.
  bool in_range(int32_t position, int32_t margin, definition& d, const field_site& at);

  void warn(warning_kind kind, definition& d, const field_site& at, const std::string& subject);
  // Warns once per line about a field that matched no key.
  void warn_unknown(definition& d, const std::string& field);

  route_cell& cell(int64_t index);

  // Replaces a comment key field by the field after it, warning when a
  // comma ends the comment (the rest of its line becomes a key).
  void skip_comment(definition& d, std::string* key);
  // The next key of a record loop: up to two comment fields in a row are
  // skipped. False once the file has ended: a key that is the last field
  // of its file is never acted on.
  bool next_record_key(definition& d, record_key* key);
  // Counts one more kind matched by `key`; warns at the second, before
  // its fields are read, since reading them is what then usually fails.
  void count_match(definition& d, record_key& key);
  // After the tests on a key: a record after "[fine]", a field that matched
  // nothing (unless `expected_unmatched`).
  void after_record(definition& d, const record_key& key, bool expected_unmatched = false);

  // Runs one placement procedure and tells whether it refused its record.
  // A fault recorded earlier (15 in the line definition) is not a refusal:
  // it stays unless the procedure records one of its own.
  template <class Placement>
  bool refused_by(Placement place) {
    const int32_t earlier = model.fault.error_code;
    model.fault.error_code = 0;
    place();
    if (model.fault.error_code > 0) return true;
    model.fault.error_code = earlier;
    return false;
  }
  // The same for the placement of a record at `position` of `d`: a refusal
  // is recorded at the record and `d` is closed and deleted.
  template <class Placement>
  bool placement_refused(definition& d, int32_t position, const field_site& at, Placement place) {
    if (!refused_by(place)) return false;
    refuse(model.fault.error_code, position, d, at);
    return true;
  }
};

// The two halves; each returns false when loading must stop there.
bool load_line_definition(load_session& s);
void load_train_definition(load_session& s);

}  // namespace scenario

#endif  // MODEL_LOAD_SESSION_H_
