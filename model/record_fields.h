// The record kinds of the two definitions, each with its key, where it
// may stand, and its fields in order with their name, meaning and unit:
// the one table that says what a record of a definition holds. The
// loaders find the kinds of a key here (kinds_for_key) and read each by
// its id; every view that explains a definition to its author uses it too
// (the editor's hover and completion, decoded listings, the authors'
// reference docs/CAMPI.txt).
// The meanings are written for authors, in ASCII Italian. Keys are
// recognised as the loaders do, by substring tests on the key field.
#ifndef MODEL_RECORD_FIELDS_H_
#define MODEL_RECORD_FIELDS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/findings.h"

namespace scenario {

// What a field's number is, and so how it is decoded.
enum class field_unit {
  position,         // metres from the start of the route
  length,           // metres
  kilometre_value,  // a line kilometre, in metres
  speed,            // km/h
  gradient,         // per mille
  hour,             // the three parts of a time of day
  minute,
  second,
  number,           // a value handed on as it is
  text,
};

// How a position field maps onto route cells of 50 m.
enum class cell_rule {
  none,           // no cell: a point of the route plan or a kilometre
  point,          // an object in cell nearest(p / 50 + 1)
  from_cell,      // a value that holds from cell nearest(p / 50) on
  code_point,     // cell nearest(p / 50)
  tunnel_start,   // first tunnel cell nearest(p / 50)
  tunnel_end,     // last tunnel cell nearest(p / 50 - 1)
  station,        // the stop cell, from the station's stretch
  route_length,   // cells 0 to nearest((p + 7000) / 50)
};

struct record_field {
  const char* name;
  const char* meaning;
  field_unit unit;
  cell_rule cells = cell_rule::none;
};

// Each record kind, named for the loaders' dispatch.
enum class record_id {
  route_length,
  progression_tre,
  progression_due,
  progression_uno,
  background_uno,
  background_due,
  background_tre,
  signal_repetition,
  gradient,
  curve,
  tunnel,
  speed_board,
  name_board,
  braked_mass,
  cars,
  speed,
  adhesion,
  clock,
  sand,
  signal,
  slowdown,
  code_point,
  station,
};

struct record_kind {
  record_id id;
  const char* key;          // as the built-in definitions write it; a curve's adds side and digit
  const char* tests[2];     // the key must contain each (nullptr: no second test)
  bool exact_case;          // tested as written, not ignoring case
  definition_file file;
  bool general;             // line definition: read only in its general section
  const char* section;      // the header the built-in definitions put it under
  const char* meaning;
  std::span<const record_field> fields;
};

// Every record kind, line definition first, each file's in the loaders'
// order of tests.
std::span<const record_kind> record_kinds();

// The section headers of a definition, in the order the built-in one uses.
std::span<const char* const> section_headers(definition_file file);

// The kinds whose test `key` passes, in the loader's order: for the line
// definition those of its general section or those of the records after it.
std::vector<const record_kind*> kinds_for_key(std::string_view key, definition_file file, bool general_section);

// The values of one record as read: one per field, nullopt for a field
// not there or not a whole number.
using record_values = std::vector<std::optional<int64_t>>;

// Field `index` of `kind` decoded in Italian (UTF-8): a position also as
// km and route cell, a speed in km/h, a time as hh:mm:ss, a gradient in
// per mille. Empty when the value is missing.
std::string decode_field(const record_kind& kind, size_t index, const record_values& values);

// What a curve's key says: its class (the first of the digits 1 to 6 in
// it, 0 when none is) and its side (left when an "s" is in it), the
// curvature per metre of each class and the radius it rounds to.
struct curve_key {
  int curve_class = 0;
  bool left = false;
};
curve_key read_curve_key(std::string_view lower_key);
inline constexpr double kCurveCurvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
inline constexpr const char* kCurveRadius[] = {"10000", "5000", "2500", "1000", "500", "333"};

// The codes a signal repetition's key names: 4 when a "4" is in it, else
// 9 when a "9" is, else 0.
int repeat_codes_of_key(std::string_view lower_key);

// What the key itself says beyond its kind: a curve's side and radius, the
// codes of a signal repetition. Empty for other keys.
std::string decode_key(const record_kind& kind, std::string_view key);

// The reference of every record kind and field, for authors, in Italian
// (plain ASCII, lines of at most 78 columns, LF): what docs/CAMPI.txt holds.
std::string field_reference();

// "km 5,950" for 5950 m.
std::string kilometre_text(int64_t metres);

}  // namespace scenario

#endif  // MODEL_RECORD_FIELDS_H_
