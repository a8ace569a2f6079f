// What the live view's web server answers: one page, its data and a stream
// of server-sent events that carries every new state to the page. It
// answers only the paths it knows, takes no file name from a request and,
// bound to a loopback address, answers only requests addressed to it by
// that address or by "localhost".
#ifndef TOOL_SERVE_HTTP_H_
#define TOOL_SERVE_HTTP_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/serve/state.h"

namespace scenario::tool {

// The page itself, made at build time from tool/serve/page.html and its
// script, tool/serve/page.js and tool/serve/page_marks.js.
const std::string& serve_page();

// What one request gets. The body is shared, not copied: the state is
// written once per change and every request of that state sends it.
struct http_answer {
  unsigned status = 200;
  std::string content_type;
  std::shared_ptr<const std::string> body;
  bool event_stream = false;  // the events path: the body follows as events
};

// `host` is the request's Host header, if any; `own_hosts` the names the
// server answers to ("127.0.0.1:8765", "localhost:8765"), or empty when it
// answers to any (an address other computers reach).
http_answer answer_request(std::string_view method, std::string_view target, std::optional<std::string_view> host,
                           const std::vector<std::string>& own_hosts, const live_scenario& scenario);

// The Host headers a server on `address` (as a URL writes it: "127.0.0.1",
// "[::1]") and `port` answers to. On a loopback address a page elsewhere
// could make its own name point there, so only the address itself and
// "localhost" are answered; on any other address, every name (empty list).
std::vector<std::string> own_hosts(const std::string& address, bool loopback, uint16_t port);

// The status line and headers of an answer whose body is `body_size`
// bytes long; the connection closes after it.
std::string answer_head(const http_answer& answer, size_t body_size);

// The head of the event stream: no length, the body runs until the
// connection closes.
inline constexpr std::string_view kEventStreamHead =
    "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";

}  // namespace scenario::tool

#endif  // TOOL_SERVE_HTTP_H_
