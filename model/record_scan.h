// Every field of a definition as the loaders read it, with what each key
// field is and where each field lies: for the views that explain a
// definition while it is written (the editor's hover, completion, outline
// and the ranges of its findings). The stream is read by field_reader with
// the loaders' rules for keys (model/record_keys) and the fields of each
// record kind (model/record_fields); values are not taken, so nothing is
// placed and nothing throws.
#ifndef MODEL_RECORD_SCAN_H_
#define MODEL_RECORD_SCAN_H_

#include <string>
#include <string_view>
#include <vector>

#include "model/field_reader.h"
#include "model/findings.h"
#include "model/record_fields.h"

namespace scenario {

// What a field read where a key belongs is.
enum class key_role {
  ignored,  // before the field that holds "[generale]": passed over
  comment,  // holds "-": passed over
  header,   // a section header, or the field that holds "[generale]"
  record,   // the key of one or more record kinds, its fields after it
  unknown,  // the key of no record kind where it stands: dropped
};

struct scanned_field {
  field_site begin;  // its first byte (a quoted text's opening quote)
  field_site end;    // the byte after its last, on the same line but for a quoted text with line ends
  field_type type = field_type::text;
  std::string text;  // what a read returns: a quoted text without its quotes
};

// One field read where a key belongs, and the fields of its record.
struct scanned_key {
  key_role role = key_role::unknown;
  scanned_field key;
  std::string section;    // the last header read, a header its own ("[segnali]"); "" before any
  bool general = false;   // line definition: read in its general section or before it
  std::vector<const record_kind*> kinds;  // role record: in the loaders' order
  // The fields read after the key: those of kinds[0], then those of
  // kinds[1], ...; fewer when the record is short.
  std::vector<scanned_field> fields;
};

// The key fields of the definition `text` (Windows-1252) of kind `file`
// and the fields of their records, in the order read. As the loaders do:
// fields are passed over up to the one that holds "[generale]"; then up
// to 10 comments in a row in the line definition's general section and up
// to 2 elsewhere are passed over before a key; the line definition's
// general section ends at a section header; a record short of fields reads
// on into the next line. As a check does: a record whose field would be
// refused reads no further than its key's line, and one that read on into
// a line holding a record's key gives that line back; reading goes on
// there. Curves are read (a check reads them). The last field of the text
// is reported for what it is, though a loader never acts on it.
std::vector<scanned_key> scan_records(std::string_view text, definition_file file);

}  // namespace scenario

#endif  // MODEL_RECORD_SCAN_H_
