#include "tool/serve/server.h"

#include <csignal>
#include <cstdlib>
#include <future>
#include <ostream>

#include "tool/commands.h"
#include "tool/serve/connections.h"

namespace scenario::tool {
namespace {

constexpr int kPortsToTry = 50;

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

// Runs `step` every `period` on `timer` until `stopped` is set. Cancelling
// the timer alone is not enough: a wait that has already expired runs its
// handler with no error, and would set the timer again.
void every(net::steady_timer& timer, std::chrono::milliseconds period, const bool& stopped,
           std::function<void()> step) {
  timer.expires_after(period);
  timer.async_wait([&timer, period, &stopped, step = std::move(step)](beast::error_code ec) mutable {
    if (ec || stopped) return;
    step();
    every(timer, period, stopped, std::move(step));
  });
}

}  // namespace

struct live_server::impl {
  impl(const server_options& o, const live_scenario& s, std::function<bool()> p)
      : options(o), scenario(s), poll(std::move(p)) {}

  server_options options;
  const live_scenario& scenario;
  std::function<bool()> poll;
  net::io_context io;
  std::string problem;
  std::string url;
  uint16_t port = 0;
  bool elsewhere = false;
  std::optional<connection_pool> pool;
  net::steady_timer poll_timer{io};
  net::steady_timer alive_timer{io};
  net::signal_set signals{io};

  bool stopped = false;

  void shut() {
    stopped = true;
    poll_timer.cancel();
    alive_timer.cancel();
    beast::error_code ignored;
    signals.cancel(ignored);
    if (pool) pool->stop();
  }
};

live_server::live_server(const server_options& options, const live_scenario& scenario, std::function<bool()> poll)
    : impl_(std::make_unique<impl>(options, scenario, std::move(poll))) {
  std::optional<tcp::acceptor> acceptor = listen_on(impl_->io, impl_->options, &impl_->problem);
  if (!acceptor) return;
  const tcp::endpoint at = acceptor->local_endpoint();
  const std::string address = at.address().is_v6() ? "[" + at.address().to_string() + "]" : at.address().to_string();
  impl_->port = at.port();
  impl_->url = "http://" + address + ":" + std::to_string(at.port()) + "/";
  impl_->elsewhere = !at.address().is_loopback();
  impl_->pool.emplace(std::move(*acceptor),
                      connection_context{scenario, own_hosts(address, at.address().is_loopback(), at.port()),
                                         impl_->options});
}

live_server::~live_server() = default;

const std::string& live_server::problem() const { return impl_->problem; }
const std::string& live_server::url() const { return impl_->url; }
uint16_t live_server::port() const { return impl_->port; }
bool live_server::reachable_from_elsewhere() const { return impl_->elsewhere; }

void live_server::run(bool stop_on_interrupt) {
  if (!impl_->pool) return;
  impl& s = *impl_;
  s.pool->start();
  every(s.poll_timer, s.options.poll_every, s.stopped, [&s] {
    if (s.poll()) s.pool->publish(s.scenario.state_text());
  });
  every(s.alive_timer, s.options.keep_alive_every, s.stopped, [&s] { s.pool->keep_alive(); });
  if (stop_on_interrupt) {
    s.signals.add(SIGINT);
    s.signals.add(SIGTERM);
    s.signals.async_wait([&s](beast::error_code ec, int) {
      if (!ec) s.shut();
    });
  }
  s.io.run();
}

void live_server::stop() {
  net::post(impl_->io, [s = impl_.get()] { s->shut(); });
}

size_t live_server::open_connections() {
  std::promise<size_t> count;
  net::post(impl_->io, [&] { count.set_value(impl_->pool ? impl_->pool->open() : 0); });
  return count.get_future().get();
}

int serve_until_interrupted(const server_options& options, const live_scenario& scenario,
                            const std::function<bool()>& poll, std::ostream& out, std::ostream& err) {
  live_server server(options, scenario, poll);
  if (!server.problem().empty()) {
    err << "scenario serve: " << server.problem() << "\n";
    return kExitUsage;
  }
  out << "scenario serve: " << server.url() << " (Ctrl+C per terminare)\n" << std::flush;
  if (server.reachable_from_elsewhere()) {
    err << "scenario serve: attenzione: la pagina e' raggiungibile da altri computer su " << server.url() << "\n";
  }
  if (options.open_browser) open_browser(server.url(), err);
  server.run(true);
  out << "scenario serve: terminato\n";
  return kExitClean;
}

}  // namespace scenario::tool
