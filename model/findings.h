// What a compile can find wrong with a pair of definitions, defined once:
// every fault number with its meaning, the warnings about what the reader
// accepts but an author rarely means, and where in a definition each one
// points. The procedures that find a fault return it; the compile decides
// which one it reports (model/compile.h).
#ifndef MODEL_FINDINGS_H_
#define MODEL_FINDINGS_H_

#include <cstdint>
#include <string>

namespace scenario {

// Fault numbers, all that the compile uses (14 and 23 are not used).
enum fault_code : int32_t {
  kNoFault = 0,
  kRouteLengthFault = 1,        // route length below 0 or above 1 000 000 m
  kProgressionFault = 2,        // kilometric progression not on a multiple of 50
  kRepeatStartFault = 3,        // signal repetition start not a multiple of 50
  kRepeatEndFault = 4,          // signal repetition end not a multiple of 50
  kRepeatCodesFault = 5,        // signal repetition naming neither 4 nor 9 codes
  kIndicatorTakenFault = 6,     // indicator board on an occupied cell
  kCodePointTakenFault = 7,     // code point on an occupied cell
  kStationPositionFault = 8,    // station position not a multiple of 50
  kStationLengthFault = 9,      // station length not a multiple of 100
  kTableFullFault = 10,         // more stations, boards or tunnels than the tables hold
  kSignalCodeFault = 11,        // no free cell for the code point in front of a signal
  kBeforeStartCodeFault = 12,   // no free cell for a code point before a slowdown start
  kInsideCodeFault = 13,        // no free cell for a code point inside or after a slowdown
  kOutsideRouteFault = 15,      // a record beyond (or before) the route cells
  kSignalTakenFault = 16,       // signal on an occupied cell
  kWarningTakenFault = 17,      // slowdown warning board on an occupied cell
  kStartTakenFault = 18,        // slowdown start on an occupied cell
  kEndTakenFault = 19,          // slowdown end on an occupied cell
  kApproachTakenFault = 20,     // an approach cell before a warning board occupied
  kSpeedBoardTakenFault = 21,   // maximum-speed board on an occupied cell
  kStationGapFault = 22,        // station less than 350 m after the one before
  kStopCellFault = 24,          // station stop cell at cell 1 or before
  kReadFault = 25,              // a field that cannot be read or stored, a missing file
  kNoLineDefinitionFault = 101,
  kNoGeneralSectionFault = 102,
  kPlanFault = 103,             // curve without digit 1 to 6, or a plan too long
  kFormatMarkFault = 1250,      // a reserved format-mark field already set
  kCheckCodeFault = 1251,       // a reserved check-code field already set
};

// What fault `code` means, in words; empty for an unknown number.
const char* fault_words(int32_t code);
// Whether the fault names a position along the line.
bool fault_has_position(int32_t code);
// What the position of fault `code` is the position of, for the words
// "(<label> <position> m)"; empty when it is the record's own.
const char* fault_position_label(int32_t code);

// Which definition a finding points into.
enum class definition_file { none, line, train };

// Where a record or field stands: 1-based line and column (0: none) and
// the text of that line as the definition holds it (Windows-1252).
struct source_site {
  definition_file file = definition_file::none;
  int32_t line = 0;
  int32_t column = 0;
  std::string text;
};

// A record of a definition by the line of its key: what placed an object
// in a route cell, to name it in a fault. No file: none.
struct record_place {
  definition_file file = definition_file::none;
  int32_t line = 0;

  bool known() const { return file != definition_file::none && line > 0; }
};

// One fault: its number, its position in metres for the faults that name
// one, the field at fault and, for a field that could not be read or
// stored, what was wrong with it (Windows-1252, it may quote the field).
// `met` is the other record when the fault is two records meeting in one
// cell (the one holding the cell, or the one that pushed a code point
// into the reserved cell).
struct fault_state {
  int32_t error_code = kNoFault;
  int32_t error_position = 0;
  source_site site;
  std::string detail;
  record_place met;

  explicit operator bool() const { return error_code != kNoFault; }
};

// What the reader accepts but an author almost never means.
enum class warning_kind {
  unknown_field,       // matches no key and is dropped
  ambiguous_key,       // matches more than one record kind
  not_ascending,       // a record of an ascending kind stands before the one above it
  comment_with_comma,  // the part after the comma becomes a key field
  curve_overlap,       // a curve starts before the previous one has ended
  times_backwards,     // a station's scheduled time out of line with its neighbours'
  after_end,           // a record after the closing header "[fine]"
  short_record,        // fewer fields than the record reads: the next line was read in
  unknown_section,     // a section header that neither definition has
  beyond_route_end,    // a position past the route length, inside the margin
  time_out_of_range,   // a station time with hours from 24, minutes or seconds from 60
  no_station,          // a train definition without a station record
  no_speed_limit,      // a train definition without a speed limit record
  not_ansi_text,       // UTF-8 text or a byte order mark in a Windows-1252 file
  zero_length,         // a curve, slowdown, tunnel or station that covers no stretch of the route
  zero_speed,          // a speed limit or slowdown of 0 km/h
  marks_left_out,      // a signal before 325 m: its farthest approach marks fall before cell 0
  tunnel_overlap,      // a tunnel on cells of an earlier one
  route_length_again,  // a second route length record: the last one holds
  unknown_tunnel_type, // a stored tunnel type other than 1, 2 or 3
  low_bits_only,       // a code point value above 65 535: only its low 16 bits are stored
  record_as_comment,   // a record with blanks or semicolons for commas and a "-": read as a comment
  // Found by the tool's railway checks on a clean compile, not by the reader:
  timetable_impossible,    // a section scheduled shorter than the fastest run allows
  timetable_tight,         // a section whose margin is under the threshold
  curve_too_fast,          // a speed limit above what a curve's radius allows
  warning_board_too_near,  // a slowdown's warning board nearer than the braking distance
};

// A warning that counts as an error where the definitions are judged (check,
// the editor, the live view): the timetable cannot be kept.
inline bool warning_is_fault_level(warning_kind kind) { return kind == warning_kind::timetable_impossible; }

const char* warning_words(warning_kind kind);
// A stable name of the kind for scripts ("unknown_field").
const char* warning_kind_name(warning_kind kind);

struct load_warning {
  warning_kind kind;
  source_site site;
  std::string subject;  // the field or record kind concerned (Windows-1252)
  std::string detail;   // what exactly, or how to mend it (UTF-8)
};

}  // namespace scenario

#endif  // MODEL_FINDINGS_H_
