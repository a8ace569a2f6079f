// The base protocol of the language server: each message is a header
// block ("Content-Length: N", optionally "Content-Type: ...", each line
// ended by CR LF, then an empty line) followed by N bytes of JSON.
#ifndef TOOL_LSP_FRAMING_H_
#define TOOL_LSP_FRAMING_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool {

// Cuts a byte stream, fed in pieces of any size, into message bodies.
class message_framer {
 public:
  // A body longer than this is refused rather than held in memory.
  static constexpr size_t kMaxBody = 64u << 20;

  void feed(std::string_view bytes) { buffer_.append(bytes); }

  // The next whole body, or nullopt until more bytes arrive. A header
  // block without a usable Content-Length is dropped and reported in
  // *problem (when given), and the framer goes on with what follows.
  std::optional<std::string> next(std::string* problem = nullptr);

  // Bytes still missing from the body being read; 0 while in a header.
  size_t body_remaining() const;

 private:
  std::string buffer_;
  std::optional<size_t> length_;  // set once the header block is read
  size_t discard_ = 0;            // bytes of a refused body still to drop
};

// A body with its header block.
std::string frame_message(std::string_view body);

}  // namespace scenario::tool

#endif  // TOOL_LSP_FRAMING_H_
