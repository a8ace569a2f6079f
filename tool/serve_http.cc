// Boost 1.74's Asio uses std::exchange without including <utility>, which
// C++20's library headers no longer bring in by themselves.
#include <utility>

#include "tool/serve_http.h"

#include <algorithm>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <memory>
#include <ostream>
#include <vector>

#include "tool/commands.h"

namespace scenario::tool {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

constexpr auto kPollEvery = std::chrono::milliseconds(100);
constexpr auto kKeepAliveEvery = std::chrono::seconds(15);
constexpr int kPortsToTry = 50;

// The page may load nothing from anywhere and talk only to this server.
constexpr char kPagePolicy[] =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string_view view(beast::string_view s) { return {s.data(), s.size()}; }

http_answer plain(unsigned status, std::string text) {
  return {status, "text/plain; charset=utf-8", std::move(text) + "\n", false};
}

// The open event streams, written one event at a time each.
class event_stream : public std::enable_shared_from_this<event_stream> {
 public:
  explicit event_stream(tcp::socket socket) : socket_(std::move(socket)) {}

  void send(std::string event) {
    queue_.push_back(std::move(event));
    if (queue_.size() == 1) write_next();
  }
  bool open() const { return open_; }

 private:
  void write_next() {
    net::async_write(socket_, net::buffer(queue_.front()), [self = shared_from_this()](beast::error_code ec, size_t) {
      if (ec) {
        self->open_ = false;
        self->queue_.clear();
        return;
      }
      self->queue_.pop_front();
      if (!self->queue_.empty()) self->write_next();
    });
  }

  tcp::socket socket_;
  std::deque<std::string> queue_;
  bool open_ = true;
};

class server {
 public:
  server(tcp::acceptor acceptor, const live_scenario& scenario, std::vector<std::string> hosts)
      : acceptor_(std::move(acceptor)), scenario_(scenario), hosts_(std::move(hosts)) {}

  void accept() {
    acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (!ec) read_request(std::make_shared<tcp::socket>(std::move(socket)));
      if (acceptor_.is_open()) accept();
    });
  }

  void publish(const std::string& event) {
    std::erase_if(streams_, [](const std::shared_ptr<event_stream>& s) { return !s->open(); });
    for (const auto& s : streams_) s->send(event);
  }

  void stop() {
    beast::error_code ec;
    acceptor_.close(ec);
  }

 private:
  struct exchange {
    std::shared_ptr<tcp::socket> socket;
    beast::flat_buffer buffer;
    http::request<http::string_body> request;
    http::response<http::string_body> response;
  };

  void read_request(std::shared_ptr<tcp::socket> socket) {
    auto x = std::make_shared<exchange>();
    x->socket = std::move(socket);
    http::async_read(*x->socket, x->buffer, x->request, [this, x](beast::error_code ec, size_t) {
      if (ec) return;
      std::optional<std::string_view> host;
      if (const auto h = x->request.find(http::field::host); h != x->request.end()) host = view(h->value());
      const http_answer a =
          answer_request(view(x->request.method_string()), view(x->request.target()), host, hosts_, scenario_);
      if (a.event_stream && a.status == 200) return start_stream(x);
      x->response = http::response<http::string_body>{static_cast<http::status>(a.status), x->request.version()};
      x->response.set(http::field::content_type, a.content_type);
      x->response.set(http::field::cache_control, "no-store");
      x->response.set("X-Content-Type-Options", "nosniff");
      x->response.set("Content-Security-Policy", kPagePolicy);
      x->response.keep_alive(false);
      x->response.body() = a.body;
      x->response.prepare_payload();
      http::async_write(*x->socket, x->response, [x](beast::error_code, size_t) {
        beast::error_code ignored;
        x->socket->shutdown(tcp::socket::shutdown_send, ignored);
      });
    });
  }

  // The header, then events until the page goes away: no length, so the
  // body runs until the connection closes.
  void start_stream(const std::shared_ptr<exchange>& x) {
    const std::string header =
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";
    auto stream = std::make_shared<event_stream>(std::move(*x->socket));
    streams_.push_back(stream);
    stream->send(header);
    stream->send(state_event(scenario_));
  }

  tcp::acceptor acceptor_;
  const live_scenario& scenario_;
  std::vector<std::string> hosts_;
  std::vector<std::shared_ptr<event_stream>> streams_;  // dropped once a write fails
};

// Opens an acceptor on the address and port, or on the next free port when
// the port is taken and may be changed. nullopt with *problem set when not.
std::optional<tcp::acceptor> listen_on(net::io_context& io, const server_options& o, std::string* problem) {
  beast::error_code ec;
  const net::ip::address address = net::ip::make_address(o.host == "localhost" ? "127.0.0.1" : o.host, ec);
  if (ec) {
    *problem = "indirizzo non valido: " + o.host;
    return std::nullopt;
  }
  const int tries = o.port_given ? 1 : kPortsToTry;
  for (int i = 0; i < tries && o.port + i <= 65535; ++i) {
    const tcp::endpoint at(address, static_cast<uint16_t>(o.port + i));
    tcp::acceptor acceptor(io);
    acceptor.open(at.protocol(), ec);
#ifndef _WIN32
    // Windows would let two servers share the port with this option.
    if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
#endif
    if (!ec) acceptor.bind(at, ec);
    if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (!ec) return acceptor;
    if (ec != net::error::address_in_use && ec != net::error::access_denied) break;
  }
  // The system's words for this one may come in any language.
  const std::string why = ec == net::error::address_in_use ? "porta gia' in uso" : ec.message();
  *problem = o.port_given ? "impossibile ascoltare su " + o.host + ":" + std::to_string(o.port) + ": " + why
                          : "nessuna porta libera da " + std::to_string(o.port) + " a " +
                                std::to_string(o.port + kPortsToTry - 1) + ": " + why;
  return std::nullopt;
}

void open_browser(const std::string& url, std::ostream& err) {
  // The address is made of digits, dots, colons and brackets only.
#ifdef _WIN32
  const std::string command = "start \"\" \"" + url + "\"";
#else
  const std::string command = "command -v xdg-open >/dev/null && (xdg-open '" + url + "' >/dev/null 2>&1 &)";
#endif
  if (std::system(command.c_str()) != 0) err << "scenario serve: impossibile aprire il browser; apri " << url << "\n";
}

}  // namespace

std::string state_event(const live_scenario& scenario) {
  return "data: " + scenario.state().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n\n";
}

http_answer answer_request(std::string_view method, std::string_view target, std::optional<std::string_view> host,
                           const std::vector<std::string>& own_hosts, const live_scenario& scenario) {
  // A page of another site that made its name point here gets nothing.
  if (host && !own_hosts.empty() && std::find(own_hosts.begin(), own_hosts.end(), *host) == own_hosts.end()) {
    return plain(403, "richiesta rifiutata: indirizzo non riconosciuto");
  }
  const std::string_view path = target.substr(0, target.find('?'));
  const bool known = path == "/" || path == "/dati.json" || path == "/eventi";
  if (!known) return plain(404, "pagina non trovata");
  if (method != "GET") return plain(405, "metodo non ammesso");
  if (path == "/") return {200, "text/html; charset=utf-8", serve_page(), false};
  if (path == "/eventi") return {200, "text/event-stream", "", true};
  return {200, "application/json; charset=utf-8",
          scenario.state().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), false};
}

int serve_until_interrupted(const server_options& options, const live_scenario& scenario,
                            const std::function<bool()>& poll, std::ostream& out, std::ostream& err) {
  net::io_context io;
  std::string problem;
  std::optional<tcp::acceptor> acceptor = listen_on(io, options, &problem);
  if (!acceptor) {
    err << "scenario serve: " << problem << "\n";
    return kExitUsage;
  }
  const tcp::endpoint at = acceptor->local_endpoint();
  const std::string port = std::to_string(at.port());
  const std::string address = at.address().is_v6() ? "[" + at.address().to_string() + "]" : at.address().to_string();
  const std::string url = "http://" + address + ":" + port + "/";
  std::vector<std::string> hosts;
  if (!options.host_given) hosts = {address + ":" + port, "localhost:" + port};

  server s(std::move(*acceptor), scenario, hosts);
  s.accept();
  out << "scenario serve: " << url << " (Ctrl+C per terminare)\n" << std::flush;
  if (options.host_given && !at.address().is_loopback()) {
    err << "scenario serve: attenzione: la pagina e' raggiungibile da altri computer su " << url << "\n";
  }
  if (options.open_browser) open_browser(url, err);

  net::steady_timer poll_timer(io);
  std::function<void()> next_poll = [&] {
    poll_timer.expires_after(kPollEvery);
    poll_timer.async_wait([&](beast::error_code ec) {
      if (ec) return;
      if (poll()) s.publish(state_event(scenario));
      next_poll();
    });
  };
  next_poll();
  // A comment now and then: a page that went away is noticed and dropped.
  net::steady_timer alive_timer(io);
  std::function<void()> next_alive = [&] {
    alive_timer.expires_after(kKeepAliveEvery);
    alive_timer.async_wait([&](beast::error_code ec) {
      if (ec) return;
      s.publish(": \n\n");
      next_alive();
    });
  };
  next_alive();

  net::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](beast::error_code, int) {
    s.stop();
    io.stop();
  });
  io.run();
  out << "scenario serve: terminato\n";
  return kExitClean;
}

}  // namespace scenario::tool
