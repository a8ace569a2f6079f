// The slowdown order "Modulo M. 3", <route>_<train>_rallentamenti.txt: 41 lines, 2869 bytes.
#ifndef DOCUMENTS_SLOWDOWN_ORDER_H_
#define DOCUMENTS_SLOWDOWN_ORDER_H_

#include <span>
#include <string>
#include <string_view>

#include "model/identity.h"

namespace scenario {

// The lines of the file, closed by the end marker.
std::span<const std::string_view> slowdown_order_lines();

// Writes the file into `directory`, replacing any older one.
void dati_rallentamenti(const std::string& directory, const scenario_identity& id);

}  // namespace scenario

#endif  // DOCUMENTS_SLOWDOWN_ORDER_H_
