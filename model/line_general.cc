// The line definition's general section: route length, kilometric
// progressions, background values and the signal repetition, up to the
// header that closes it.
#include <cstdint>
#include <string>

#include "model/ansi_text.h"
#include "model/key_names.h"
#include "model/load_session.h"
#include "model/nearest.h"
#include "model/record_fields.h"
#include "model/record_keys.h"

namespace scenario {
namespace {

constexpr int32_t kMaxRouteLength = 1000000;
constexpr int32_t kMaxPlanPoints = 1000000;  // points 0 to 999 999
constexpr int32_t kExtension = 7000;
// The plan is computed up to point extended_length - 2, which must stay
// below kMaxPlanPoints.
constexpr int32_t kMaxPlannedRouteLength = kMaxPlanPoints - 1 - (kExtension - 2);

// The route length records read so far: a second one sizes the cells anew.
struct route_length_seen {
  int32_t line = 0;
  int32_t length = 0;
};

// Route length: sizes the cells and, in line mode, the plan anew.
bool read_route_length(load_session& s, field_reader& r, route_length_seen& seen) {
  scenario_model& m = s.model;
  const int32_t length = r.read_long();
  const field_site at = r.last_site();
  m.item_table[kTrainItem].end = length;
  if (length > kMaxRouteLength || length < 0) {  // a negative length leaves no route at all
    s.refuse(kRouteLengthFault, s.line, at);
    return false;
  }
  // Refused here rather than when the plan runs out of points, so the
  // author sees the record and the limit.
  if (m.line_mode != 0 && length > kMaxPlannedRouteLength) {
    s.refuse(kPlanFault, s.line, at,
             "con il tracciato la lunghezza massima del percorso e' " + std::to_string(kMaxPlannedRouteLength) + " m");
    return false;
  }
  if (seen.line > 0) {
    s.warn(warning_kind::route_length_again, s.line, at, "",
           std::to_string(length) + " m al posto dei " + std::to_string(seen.length) + " m della riga " +
               std::to_string(seen.line));
  }
  seen = {at.line, length};
  m.extended_length = length + kExtension;
  m.last_cell = static_cast<int32_t>(nearest_whole(m.extended_length / 50.0));
  m.route_cells.assign(static_cast<size_t>(m.last_cell) + 1, route_cell{});
  if (m.line_mode != 0) {
    m.plan = plan_points{};
    m.plan.sized = true;
    m.plan.points = m.extended_length + 1;
  }
  return true;
}

// A progression's position and value must lie on the 50 m grid; that is
// checked once the train definition is read too, and the first record off
// the grid is the one the fault then points at.
void read_progression(load_session& s, field_reader& r, item_entry& e) {
  int32_t v[3];
  field_site at[3];
  read_longs(r, v, at, 3);
  e.start = v[0];
  e.end = v[1];
  e.position = v[2];
  if (s.off_grid_progression.site.line > 0 || (v[0] % 50 == 0 && v[1] % 50 == 0)) return;
  const field_site& off = at[v[0] % 50 != 0 ? 0 : 1];
  s.off_grid_progression.site =
      source_site{definition_file::line, off.line, off.column, std::string(r.line_text(off.line))};
  s.off_grid_progression.detail =
      "posizione " + std::to_string(v[0]) + " m, valore " + std::to_string(v[1]) + " m";
}

bool read_signal_repetition(load_session& s, field_reader& r, const std::string& key) {
  item_entry& e = s.model.item_table[kRepeatItem];
  e.start = r.read_long();
  const field_site start_site = r.last_site();
  e.end = r.read_long();
  const field_site end_site = r.last_site();
  fault_code fault = kNoFault;
  if (e.start % 50 != 0) {
    fault = kRepeatStartFault;
  } else if (e.end % 50 != 0) {
    fault = kRepeatEndFault;
  } else if (const int codes = repeat_codes_of_key(key)) {
    e.position = codes;
  } else {
    fault = kRepeatCodesFault;
  }
  if (fault != kNoFault) {
    s.refuse(fault, s.line, fault == kRepeatStartFault ? start_site : end_site);
    return false;
  }
  if (e.end == 0) e.position = 0;
  return true;
}

}  // namespace

bool read_general_section(load_session& s) {
  field_reader& r = *s.line.reader;
  scenario_model& m = s.model;
  route_length_seen route_length;
  s.line.general_section = true;
  while (true) {
    if (r.ended()) break;
    std::string key = r.read_text();
    if (r.ended()) break;
    for (int i = 0; i < kGeneralSectionComments && is_comment_key(key); ++i) s.skip_comment(s.line, &key);
    const field_site at = r.last_site();
    r.mark_record();
    s.line.record_at = at;
    s.line.record_key = key;
    const std::string lower = to_lower_ansi(key);
    int matches = 0;
    // Warned at the second match, before its fields are read: reading them
    // is what usually fails then.
    auto matched = [&] {
      if (++matches == 2) s.warn(warning_kind::ambiguous_key, s.line, at, key);
    };
    // A key that passes the tests of several kinds is read as each in turn.
    for (const record_kind* kind : kinds_for_key(key, definition_file::line, true)) {
      matched();
      switch (kind->id) {
        case record_id::route_length:
          if (!read_route_length(s, r, route_length)) return false;
          break;
        case record_id::progression_tre: read_progression(s, r, m.item_table[kProgressionTre]); break;
        case record_id::progression_due: read_progression(s, r, m.item_table[kProgressionDue]); break;
        case record_id::progression_uno: read_progression(s, r, m.item_table[kProgressionUno]); break;
        case record_id::background_uno: m.item_table[kRouteItem].start = r.read_long(); break;
        case record_id::background_due: m.item_table[kRouteItem].position = r.read_long(); break;
        case record_id::background_tre: m.item_table[kRouteItem].end = r.read_long(); break;
        case record_id::signal_repetition:
          if (!read_signal_repetition(s, r, lower)) return false;
          break;
        default: break;  // a kind of the records after the section: never found here
      }
    }
    s.warn_short_record(s.line, at, key);
    if (is_section_header(key)) {
      // "[fine]" may close the general section itself.
      if (contains(lower, "[fine]")) s.line.after_end_header = true;
      if (!is_known_section(key)) s.warn_unknown(s.line, key);
      break;
    }
    if (matches == 0) s.warn_unknown(s.line, key);
  }
  s.line.general_section = false;
  return true;
}

bool find_general_header(definition& d) {
  field_reader& r = *d.reader;
  while (!r.ended()) {
    const std::string key = r.read_text();
    if (starts_reading(key)) return !r.ended();
  }
  return false;
}

}  // namespace scenario
