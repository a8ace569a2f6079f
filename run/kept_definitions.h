// Definitions the program finds in its directory that are not its own (an
// author's edit left there) are moved aside before the program writes and
// then deletes its own under the same names: nothing it did not write is
// lost.
#ifndef RUN_KEPT_DEFINITIONS_H_
#define RUN_KEPT_DEFINITIONS_H_

#include <string>
#include <vector>

#include "model/identity.h"

namespace scenario {

// A definition moved aside: its name and the name it has now, both in the
// program's directory.
struct kept_definition {
  std::string name;
  std::string backup;
};

// The bytes of the two definitions the program is about to write.
struct own_definitions {
  std::string line;
  std::string train;
};
// The built-in scenario's.
own_definitions built_in_definitions();

// Moves each definition of `id` in `directory` that differs from the
// program's own to the first free "<name>.N.bak" (N from 1; an earlier
// backup is never replaced). Returns what it moved. Throws file_error when
// one cannot be moved: then the run must not go on.
std::vector<kept_definition> keep_foreign_definitions(const std::string& directory, const scenario_identity& id,
                                                      const own_definitions& own);

// What the author is told, in Italian: on standard error, and appended to
// the scenario notes (lines without their line ends).
std::string kept_definitions_notice(const std::vector<kept_definition>& kept);
std::vector<std::string> kept_definitions_note_lines(const std::vector<kept_definition>& kept);

// The scenario notes `notes` (whole lines, CR LF), with the note lines
// above added at the end when something was kept.
std::string notes_with_kept(std::string notes, const std::vector<kept_definition>& kept);

// Writes the scenario notes, with the note lines above added at the end
// when something was kept; the fixed notes alone otherwise.
void write_notes(const std::string& directory, const scenario_identity& id, const std::vector<kept_definition>& kept);

}  // namespace scenario

#endif  // RUN_KEPT_DEFINITIONS_H_
