// Whether a section header is one of the definitions', the nearest
// section header or record key (model/record_fields) to a misspelt one,
// and where a key written in the wrong place belongs, for the warnings
// and faults that tell an author how to mend a definition.
#ifndef MODEL_KEY_NAMES_H_
#define MODEL_KEY_NAMES_H_

#include <string>
#include <string_view>

#include "model/field_reader.h"
#include "model/findings.h"

namespace scenario {

// Whether `header` (with its brackets) is a section of either definition.
// Edits (insert, delete, replace one character) from a to b; what "the
// nearest" name or key means wherever one is offered.
size_t edit_distance(std::string_view a, std::string_view b);

bool is_known_section(std::string_view header);
// The known section header nearest to `header`; empty when none is near.
std::string nearest_section(std::string_view header);
// The record key of `file` nearest to `field`; empty when none is near
// (a number, or a word far from every key).
std::string nearest_key(definition_file file, std::string_view field);

// For a field of `file` that matched no key where it stands (`general`:
// in the line definition's general section): where it belongs when it is
// a key of the other definition, of the other part of the line definition,
// or a section header of `file` written without its brackets; empty
// otherwise. UTF-8.
std::string misplaced_key_hint(definition_file file, bool general, std::string_view field);

// For a record that ran short of fields: when its key field `key_field`
// of `file` holds the values too, separated by blanks or semicolons, the
// words that say the separator is the comma, with the record as it should
// read; empty otherwise. UTF-8 but for the quoted record (Windows-1252).
std::string separator_hint(definition_file file, std::string_view key_field);

// The key of the first line of a definition whose key is the route length
// (comment lines aside); line 0 when there is none.
field_site route_length_site(std::string_view text);

}  // namespace scenario

#endif  // MODEL_KEY_NAMES_H_
