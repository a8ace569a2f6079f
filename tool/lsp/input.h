// Where the language server's messages come from, and the loop that cuts
// them out of the byte stream and hands them to the server.
#ifndef TOOL_LSP_INPUT_H_
#define TOOL_LSP_INPUT_H_

#include <cstddef>
#include <memory>
#include <ostream>

#include "tool/lsp/server.h"

namespace scenario::tool {

class message_input {
 public:
  virtual ~message_input() = default;
  // Up to `size` bytes, waiting for the first only; 0 once the input ended.
  virtual size_t read(char* data, size_t size) = 0;
  // True when read() would not wait: bytes are there, or the end is.
  virtual bool ready() = 0;
};

// Standard input, as the editor's pipe.
std::unique_ptr<message_input> standard_input();

// Serves `input` until "exit" or its end. Changes are checked once no
// message waits (or, under a steady stream, after a short while), so the
// changes that arrive while a check runs cost one check together. Framing
// problems are answered and told on `err`.
void serve_messages(message_input& input, language_server& server, std::ostream& err);

}  // namespace scenario::tool

#endif  // TOOL_LSP_INPUT_H_
