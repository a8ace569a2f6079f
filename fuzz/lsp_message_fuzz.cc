// The language server as an editor's pipe feeds it: the bytes are cut into
// messages by the framer, in pieces as a pipe may deliver them, each
// message is handled and the pending checks run as the server's loop runs
// them. Everything the server sends must be one whole JSON value.
// Input layout:
//   byte 0: bits 0-6 the size of the pieces the bytes arrive in (0: all
//           at once); bit 7 set: the editor pauses after each piece, so
//           the changes so far are checked before the next one arrives
//   then the bytes an editor sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tool/lsp/input.h"
#include "tool/lsp/server.h"

namespace {

using namespace scenario::tool;

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The fuzzer's bytes, `piece` at a time. A fast editor has always sent
// the next piece already; a pausing one has not, until it is read.
class bytes_input : public message_input {
 public:
  bytes_input(std::string_view bytes, size_t piece, bool pauses)
      : bytes_(bytes), piece_(piece), pauses_(pauses) {}
  size_t read(char* data, size_t size) override {
    const size_t n = std::min({size, piece_, bytes_.size()});
    std::copy_n(bytes_.data(), n, data);
    bytes_.remove_prefix(n);
    return n;
  }
  bool ready() override { return !pauses_ || bytes_.empty(); }

 private:
  std::string_view bytes_;
  size_t piece_;
  bool pauses_;
};

// Swallows what the server tells its standard error.
class null_buffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = (data[0] & 0x7F) == 0 ? size : (data[0] & 0x7F);
  bytes_input input(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), piece, data[0] & 0x80);
  language_server server([](const std::string& body) { check(nlohmann::json::accept(body)); });
  null_buffer nothing;
  std::ostream err(&nothing);
  serve_messages(input, server, err);
  check(server.exited() || !server.has_pending());
  return 0;
}
