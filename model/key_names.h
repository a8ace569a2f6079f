// Whether a section header is one of the definitions', and the nearest
// section header or record key (model/record_fields) to a misspelt one,
// for the warnings.
#ifndef MODEL_KEY_NAMES_H_
#define MODEL_KEY_NAMES_H_

#include <string>
#include <string_view>

#include "model/field_reader.h"
#include "model/findings.h"

namespace scenario {

// Whether `header` (with its brackets) is a section of either definition.
bool is_known_section(std::string_view header);
// The known section header nearest to `header`; empty when none is near.
std::string nearest_section(std::string_view header);
// The record key of `file` nearest to `field`; empty when none is near
// (a number, or a word far from every key).
std::string nearest_key(definition_file file, std::string_view field);

// The key of the first line of a definition whose key is the route length
// (comment lines aside); line 0 when there is none.
field_site route_length_site(std::string_view text);

}  // namespace scenario

#endif  // MODEL_KEY_NAMES_H_
