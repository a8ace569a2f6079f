// The built-in line definition, <route>_linea.txt: 215 lines, 6702 bytes.
#ifndef CONTENT_LINE_DEFINITION_H_
#define CONTENT_LINE_DEFINITION_H_

#include <span>
#include <string>
#include <string_view>

#include "model/identity.h"

namespace scenario {

// The lines of the file, closed by the end marker.
std::span<const std::string_view> line_definition_lines();

// Writes the file into `directory`, replacing any older one.
void dati_linea(const std::string& directory, const scenario_identity& id);

}  // namespace scenario

#endif  // CONTENT_LINE_DEFINITION_H_
