// The train card, <route>_<train>_scheda_treno.txt: 32 lines, 2186 bytes.
#ifndef DOCUMENTS_TRAIN_CARD_H_
#define DOCUMENTS_TRAIN_CARD_H_

#include <span>
#include <string>
#include <string_view>

#include "model/identity.h"

namespace scenario {

// The lines of the file, closed by the end marker.
std::span<const std::string_view> train_card_lines();

// Writes the file into `directory`, replacing any older one.
void dati_scheda(const std::string& directory, const scenario_identity& id);

}  // namespace scenario

#endif  // DOCUMENTS_TRAIN_CARD_H_
