// The base protocol of the language server: each message is a header
// block ("Content-Length: N", optionally "Content-Type: ...", each line
// ended by CR LF, then an empty line) followed by N bytes of JSON.
#ifndef TOOL_LSP_FRAMING_H_
#define TOOL_LSP_FRAMING_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool {

// What the framer cut from the stream: a whole body, or the words for a
// message it had to refuse (then `body` is empty).
struct framed_message {
  std::string body;
  std::string problem;
};

// Cuts a byte stream, fed in pieces of any size, into message bodies. Every
// byte is looked at a bounded number of times, whatever the pieces.
//
// A header block without a usable Content-Length says nothing of where its
// body ends: the framer drops bytes up to the next "Content-Length" and
// reads a header from there, so one bad message costs no other.
class message_framer {
 public:
  // A body longer than this is refused rather than held in memory; it is
  // skipped as it arrives.
  static constexpr size_t kMaxBody = 64u << 20;
  // A longer Content-Length is not believed: no client sends that much.
  static constexpr uint64_t kMaxSkip = uint64_t{1} << 30;
  // A header block longer than this is refused; real ones take a line or two.
  static constexpr size_t kMaxHeader = 8192;

  void feed(std::string_view bytes);

  // The next whole body or refused message, or nullopt until more bytes
  // arrive. Of a stretch of bytes that frame nothing, one problem is told.
  std::optional<framed_message> next();

 private:
  enum class state { header, body, skip, resync };

  std::optional<framed_message> read_header();
  bool find_next_header();
  std::optional<framed_message> refuse(std::string problem);
  void consume(size_t n);

  std::string buffer_;
  size_t start_ = 0;     // bytes of buffer_ already taken
  size_t scanned_ = 0;   // bytes after start_ known to end no header (or hold no next header)
  state state_ = state::header;
  uint64_t length_ = 0;  // of the body being read or skipped
  bool troubled_ = false;  // a problem was told and no message framed since
};

// A body with its header block.
std::string frame_message(std::string_view body);

}  // namespace scenario::tool

#endif  // TOOL_LSP_FRAMING_H_
