// What a field read where a record's key belongs is to the loaders, beyond
// the record kinds (model/record_fields): a comment, a section header, the
// header reading starts from. One set of rules for the loaders and for the
// scan of a definition's records (model/record_scan), so the two never
// disagree on what is a record.
#ifndef MODEL_RECORD_KEYS_H_
#define MODEL_RECORD_KEYS_H_

#include <string>
#include <string_view>

#include "model/findings.h"

namespace scenario {

// Comments passed over in a row before a key is taken as it is: in the
// line definition's general section, and in every other loop of records.
inline constexpr int kGeneralSectionComments = 10;
inline constexpr int kRecordComments = 2;

// A key field with a "-" anywhere in it is a comment.
bool is_comment_key(std::string_view key);
// A key field that holds "[" and "]" and does not begin with "-" is a
// section header.
bool is_section_header(std::string_view key);
// The header of a key field, from its "[" to its "]" (to its end when no
// "]" follows), in small letters; "[generale]" for "[Generale] x".
std::string section_of(std::string_view key);
// Reading starts after the first field that holds "[generale]", in any case.
bool starts_reading(std::string_view field);

// The record a record short of fields lost when it read on into `line`:
// the line's first field when it is no comment and the key of a record
// kind of `file` read after the general section; empty otherwise.
std::string_view lost_record_key(std::string_view line, definition_file file);

}  // namespace scenario

#endif  // MODEL_RECORD_KEYS_H_
