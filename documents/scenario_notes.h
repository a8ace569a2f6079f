// The scenario notes, <route>_<train>_note.txt: 23 lines, one byte E0 (Windows-1252 "a grave").
#ifndef DOCUMENTS_SCENARIO_NOTES_H_
#define DOCUMENTS_SCENARIO_NOTES_H_

#include <span>
#include <string>
#include <string_view>

#include "model/identity.h"

namespace scenario {

// The lines of the file, closed by the end marker.
std::span<const std::string_view> scenario_notes_lines();

// Writes the file into `directory`, replacing any older one.
void dati_note(const std::string& directory, const scenario_identity& id);

}  // namespace scenario

#endif  // DOCUMENTS_SCENARIO_NOTES_H_
