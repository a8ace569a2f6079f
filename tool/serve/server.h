// The live view's web server on its socket: it listens, answers requests
// (tool/serve/http.h) and sends every new state to the open pages, within
// limits that keep it alive and answering whatever its clients do.
#ifndef TOOL_SERVE_SERVER_H_
#define TOOL_SERVE_SERVER_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "tool/serve/state.h"

namespace scenario::tool {

struct server_options {
  std::string host = "127.0.0.1";
  bool host_given = false;  // --host: the address to listen on
  uint16_t port = 8765;
  bool port_given = false;  // --port: that port or none; else the next free one
  bool open_browser = false;

  // At most this many connections are open at once; one more closes the
  // oldest still sending its request, or else the oldest event stream.
  size_t most_connections = 64;
  // From the connection to the whole request; then it is closed.
  std::chrono::milliseconds request_deadline{10'000};
  // For one answer or one event to leave; a page that does not take it is
  // closed (it reconnects by itself if it is still there).
  std::chrono::milliseconds write_deadline{30'000};
  // After a connection cannot be accepted (no descriptor left), the wait
  // before the next try.
  std::chrono::milliseconds accept_pause{200};
  // How often `poll` runs, and how often an idle event stream gets a
  // comment, so a page that went away is noticed.
  std::chrono::milliseconds poll_every{50};
  std::chrono::milliseconds keep_alive_every{15'000};
};

// One server, listening from its construction. `poll` runs on the
// server's thread every poll_every and returns true when the scenario's
// state changed; the state then goes to every open page.
class live_server {
 public:
  live_server(const server_options& options, const live_scenario& scenario, std::function<bool()> poll);
  ~live_server();
  live_server(const live_server&) = delete;
  live_server& operator=(const live_server&) = delete;

  // Empty when it listens; else why not, in words for the user.
  const std::string& problem() const;
  // "http://127.0.0.1:8765/"; its port.
  const std::string& url() const;
  uint16_t port() const;
  // Whether other computers can reach it (an address that is not loopback).
  bool reachable_from_elsewhere() const;

  // Serves until stop() or, with stop_on_interrupt, Ctrl+C.
  void run(bool stop_on_interrupt);
  // From any thread.
  void stop();
  // The connections open now, from any thread while run() runs.
  size_t open_connections();

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

// Listens, prints the address to `out` and serves until Ctrl+C. Returns
// the exit status: 0 after Ctrl+C, 2 when it cannot listen.
int serve_until_interrupted(const server_options& options, const live_scenario& scenario,
                            const std::function<bool()>& poll, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // TOOL_SERVE_SERVER_H_
