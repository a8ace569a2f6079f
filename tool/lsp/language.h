// What the language server tells about the text of one definition: hover
// on a field, completion of keys, headers and record skeletons, and the
// outline. Answers are the JSON results of the protocol's requests;
// positions are lines and UTF-16 code units of the editor's text.
#ifndef TOOL_LSP_LANGUAGE_H_
#define TOOL_LSP_LANGUAGE_H_

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "model/findings.h"

namespace scenario::tool {

struct text_position {
  uint32_t line = 0;
  uint32_t character = 0;  // UTF-16 code units
};

// `utf8_text` is the editor's text of a definition of kind `file`.
nlohmann::json hover_at(definition_file file, const std::string& utf8_text, text_position at);
nlohmann::json completion_at(definition_file file, const std::string& utf8_text, text_position at);
nlohmann::json document_symbols(definition_file file, const std::string& utf8_text);

}  // namespace scenario::tool

#endif  // TOOL_LSP_LANGUAGE_H_
