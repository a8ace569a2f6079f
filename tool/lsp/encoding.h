// The definitions' code page in the editor. The server reads the editor's
// text (UTF-8) and turns it into Windows-1252 for the compile, so two
// things the compile cannot see are told here, worded as `check` words
// them: a character typed in the editor that the code page does not have,
// and a file on disk that is not in the code page although the editor
// shows it right (it read it as UTF-8, and will save it so again).
#ifndef TOOL_LSP_ENCODING_H_
#define TOOL_LSP_ENCODING_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/findings.h"
#include "model/identity.h"
#include "model/loader.h"

namespace scenario::tool {

// The first character of the editor's text `utf8` that Windows-1252 does
// not have, at its place in `ansi` (the same text as the compile reads it,
// one byte a character); nullopt when the code page holds them all.
std::optional<load_warning> unencodable_character(definition_file file, std::string_view utf8,
                                                  const std::string& ansi);

// What the loader says of the encoding of `bytes`, the file on disk of
// definition `file` of the pair whose current texts are `texts`: a byte
// order mark or UTF-8 text.
std::vector<load_warning> disk_encoding_warnings(definition_file file, const std::string& bytes,
                                                 const definition_texts& texts, const scenario_identity& id);

}  // namespace scenario::tool

#endif  // TOOL_LSP_ENCODING_H_
