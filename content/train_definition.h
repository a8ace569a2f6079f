// The built-in train definition, <route>_<train>-.txt: 65 lines, 2736 bytes.
#ifndef CONTENT_TRAIN_DEFINITION_H_
#define CONTENT_TRAIN_DEFINITION_H_

#include <span>
#include <string>
#include <string_view>

#include "model/identity.h"

namespace scenario {

// The lines of the file, closed by the end marker.
std::span<const std::string_view> train_definition_lines();

// Writes the file into `directory`, replacing any older one.
void dati_treno(const std::string& directory, const scenario_identity& id);

}  // namespace scenario

#endif  // CONTENT_TRAIN_DEFINITION_H_
