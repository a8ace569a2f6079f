// The live view server's connections: each reads one request within a
// deadline and answers it, or becomes an event stream that carries every
// new state to its page. The pool accepts them, keeps their number under
// a cap, and pauses when the system has no descriptor to give.
#ifndef TOOL_SERVE_CONNECTIONS_H_
#define TOOL_SERVE_CONNECTIONS_H_

// Boost 1.74's Asio uses std::exchange without including <utility>, which
// C++20's library headers no longer bring in by themselves.
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tool/serve/http.h"
#include "tool/serve/server.h"
#include "tool/serve/state.h"

namespace scenario::tool {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

// A request the server reads: small, as its three paths need no body.
using request_parser = http::request_parser<http::string_body>;
constexpr size_t kLargestRequestHead = 8 * 1024;
constexpr size_t kLargestRequestBody = 1024;
constexpr size_t kLargestRequestBuffer = kLargestRequestHead + kLargestRequestBody;
// The parser with those limits.
void limit_request(request_parser& parser);
// The answer to a whole request.
http_answer answer_parsed(const http::request<http::string_body>& request, const std::vector<std::string>& hosts,
                          const live_scenario& scenario);

// What every connection shares; it outlives them all while the server runs.
struct connection_context {
  const live_scenario& scenario;
  std::vector<std::string> hosts;  // tool/serve/http.h own_hosts
  const server_options& options;
};

class connection : public std::enable_shared_from_this<connection> {
 public:
  enum class phase { reading, answering, streaming, closed };

  connection(tcp::socket socket, const connection_context& context);

  void start();
  // The current state to an event stream: it waits behind the event being
  // written, and a newer state takes its place there.
  void send_state(std::shared_ptr<const std::string> state);
  // A comment to an idle event stream.
  void send_comment();
  // Closes the socket at once; pending work ends with it.
  void close();

  phase current() const { return phase_; }
  std::chrono::steady_clock::time_point opened() const { return opened_; }

 private:
  struct event {
    std::shared_ptr<const std::string> state;  // null: a comment
  };

  void on_request(beast::error_code ec);
  void answer(http_answer a);
  void start_stream();
  void watch_peer();
  void write(event e, bool with_head);
  void arm(std::chrono::milliseconds deadline);

  tcp::socket socket_;
  net::steady_timer deadline_;
  const connection_context& context_;
  std::chrono::steady_clock::time_point opened_;
  phase phase_ = phase::reading;
  beast::flat_buffer buffer_{kLargestRequestBuffer};
  request_parser parser_;
  std::string head_;
  std::shared_ptr<const std::string> body_;
  std::optional<event> writing_, waiting_;
  char peer_byte_ = 0;
};

class connection_pool {
 public:
  connection_pool(tcp::acceptor acceptor, connection_context context);

  void start() { accept(); }
  void publish(const std::shared_ptr<const std::string>& state);
  void keep_alive();
  void stop();
  size_t open();

 private:
  void accept();
  void admit(tcp::socket socket);
  void prune();

  tcp::acceptor acceptor_;
  net::steady_timer pause_;
  connection_context context_;
  std::vector<std::weak_ptr<connection>> connections_;
};

}  // namespace scenario::tool

#endif  // TOOL_SERVE_CONNECTIONS_H_
