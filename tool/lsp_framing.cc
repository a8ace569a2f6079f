#include "tool/lsp_framing.h"

#include <algorithm>
#include <charconv>

#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

// The value of Content-Length in a header block, its names in any case.
std::optional<size_t> content_length(std::string_view headers) {
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find("\r\n", start);
    if (end == std::string_view::npos) end = headers.size();
    const std::string_view line = headers.substr(start, end - start);
    start = end + 2;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (to_lower_ansi(line.substr(0, colon)) != "content-length") continue;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    size_t n = 0;
    const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
    if (r.ec != std::errc() || r.ptr != value.data() + value.size() || value.empty()) return std::nullopt;
    return n;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> message_framer::next(std::string* problem) {
  while (!length_) {
    if (discard_ > 0) {
      const size_t n = std::min(discard_, buffer_.size());
      buffer_.erase(0, n);
      discard_ -= n;
      if (discard_ > 0) return std::nullopt;
    }
    const size_t end = buffer_.find("\r\n\r\n");
    if (end == std::string::npos) return std::nullopt;
    const auto n = content_length(std::string_view(buffer_).substr(0, end));
    if (n && *n <= kMaxBody) {
      length_ = n;
    } else {
      if (n) discard_ = *n;
      if (problem != nullptr) *problem = n ? "messaggio troppo lungo" : "intestazione senza Content-Length valido";
    }
    buffer_.erase(0, end + 4);
  }
  if (buffer_.size() < *length_) return std::nullopt;
  std::string body = buffer_.substr(0, *length_);
  buffer_.erase(0, *length_);
  length_.reset();
  return body;
}

size_t message_framer::body_remaining() const {
  if (!length_) return 0;
  return buffer_.size() >= *length_ ? 0 : *length_ - buffer_.size();
}

std::string frame_message(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

}  // namespace scenario::tool
