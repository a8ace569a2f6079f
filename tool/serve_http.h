// The live view's web server: one page, its data and a stream of server-
// sent events that carries every new state to the page. It answers only
// the paths it knows, takes no file name from a request and, bound to the
// loopback address, answers only requests addressed to it by that name.
#ifndef TOOL_SERVE_HTTP_H_
#define TOOL_SERVE_HTTP_H_

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "tool/serve_state.h"

namespace scenario::tool {

// The page itself, made at build time from tool/serve_page.html and its
// script, tool/serve_page.js and tool/serve_page_marks.js.
const std::string& serve_page();

// What one request gets.
struct http_answer {
  unsigned status = 200;
  std::string content_type;
  std::string body;
  bool event_stream = false;  // the events path: the body follows as events
};

// `host` is the request's Host header, if any; `own_hosts` the names the
// server answers to ("127.0.0.1:8765", "localhost:8765"), or empty when it
// answers to any (an address given with --host).
http_answer answer_request(std::string_view method, std::string_view target, std::optional<std::string_view> host,
                           const std::vector<std::string>& own_hosts, const live_scenario& scenario);

// One server-sent event carrying the state.
std::string state_event(const live_scenario& scenario);

struct server_options {
  std::string host = "127.0.0.1";
  bool host_given = false;  // --host: any address, and any Host header
  uint16_t port = 8765;
  bool port_given = false;  // --port: that port or none; else the next free one
  bool open_browser = false;
};

// Listens, prints the address to `out` and serves until Ctrl+C. `poll` is
// called a few times a second and returns true when the state changed; the
// new state then goes to every open page. Returns the exit status: 0 after
// Ctrl+C, 2 when it cannot listen.
int serve_until_interrupted(const server_options& options, const live_scenario& scenario,
                            const std::function<bool()>& poll, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // TOOL_SERVE_HTTP_H_
