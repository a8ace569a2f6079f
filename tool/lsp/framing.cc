#include "tool/lsp/framing.h"

#include <algorithm>
#include <charconv>

#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kLengthName = "content-length";

bool starts_with_name(std::string_view text, size_t at) {
  if (text.size() - at < kLengthName.size()) return false;
  for (size_t i = 0; i < kLengthName.size(); ++i) {
    if (to_lower_ansi(text[at + i]) != kLengthName[i]) return false;
  }
  return true;
}

std::string_view trim_blanks(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return value;
}

// The value of Content-Length in a header block, its name in any case;
// nullopt when there is none or it is no whole number that fits 64 bits.
std::optional<uint64_t> content_length(std::string_view headers) {
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find("\r\n", start);
    if (end == std::string_view::npos) end = headers.size();
    const std::string_view line = headers.substr(start, end - start);
    start = end + 2;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon != kLengthName.size() || !starts_with_name(line, 0)) continue;
    const std::string_view value = trim_blanks(line.substr(colon + 1));
    uint64_t n = 0;
    const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || r.ec != std::errc() || r.ptr != value.data() + value.size()) return std::nullopt;
    return n;
  }
  return std::nullopt;
}

}  // namespace

void message_framer::feed(std::string_view bytes) {
  // What was taken goes once it is half the buffer: each byte moves at
  // most a few times.
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes);
}

void message_framer::consume(size_t n) {
  start_ += n;
  scanned_ = 0;
}

std::optional<framed_message> message_framer::refuse(std::string problem) {
  if (troubled_) return std::nullopt;
  troubled_ = true;
  return framed_message{"", std::move(problem)};
}

bool message_framer::find_next_header() {
  const std::string_view rest = std::string_view(buffer_).substr(start_);
  for (size_t i = scanned_; i + kLengthName.size() <= rest.size(); ++i) {
    if (starts_with_name(rest, i)) {
      consume(i);
      return true;
    }
  }
  // Only a tail shorter than the name may still begin it.
  consume(rest.size() - std::min(rest.size(), kLengthName.size() - 1));
  return false;
}

std::optional<framed_message> message_framer::next() {
  for (;;) {
    const std::string_view rest = std::string_view(buffer_).substr(start_);
    switch (state_) {
      case state::skip: {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(length_, rest.size()));
        consume(n);
        length_ -= n;
        if (length_ > 0) return std::nullopt;
        state_ = state::header;
        break;
      }
      case state::resync:
        if (!find_next_header()) return std::nullopt;
        state_ = state::header;
        break;
      case state::body: {
        if (rest.size() < length_) return std::nullopt;
        framed_message message{std::string(rest.substr(0, static_cast<size_t>(length_))), ""};
        consume(static_cast<size_t>(length_));
        state_ = state::header;
        troubled_ = false;
        return message;
      }
      case state::header: {
        // Only the bytes not searched before: the end may straddle them.
        const size_t end = rest.find(kHeaderEnd, scanned_ >= 3 ? scanned_ - 3 : 0);
        if (end == std::string_view::npos && rest.size() <= kMaxHeader) {
          scanned_ = rest.size();
          return std::nullopt;
        }
        const std::optional<uint64_t> n =
            end == std::string_view::npos || end > kMaxHeader ? std::nullopt : content_length(rest.substr(0, end));
        if (!n || *n > kMaxSkip) {
          // Where the body ends is unknown: look for the next header, past
          // the first byte of this one (it may hold the next one glued on).
          const bool too_long = end == std::string_view::npos || end > kMaxHeader;
          consume(1);
          state_ = state::resync;
          if (auto told = refuse(too_long ? "intestazione troppo lunga, senza riga vuota"
                                          : "intestazione senza Content-Length valido")) {
            return told;
          }
          break;
        }
        consume(end + kHeaderEnd.size());
        length_ = *n;
        state_ = *n > kMaxBody ? state::skip : state::body;
        if (state_ == state::skip) {
          // A fresh problem: this message alone is lost.
          troubled_ = false;
          if (auto told = refuse("messaggio troppo lungo: " + std::to_string(*n) + " byte, al massimo " +
                                 std::to_string(kMaxBody))) {
            return told;
          }
        }
        break;
      }
    }
  }
}

std::string frame_message(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

}  // namespace scenario::tool
