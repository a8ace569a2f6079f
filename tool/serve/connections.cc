#include "tool/serve/connections.h"

#include <algorithm>
#include <array>

namespace scenario::tool {
namespace {

constexpr char kStatePrefix[] = "data: ";
constexpr char kEventEnd[] = "\n\n";
constexpr char kComment[] = ": \n\n";

std::string_view view(beast::string_view s) { return {s.data(), s.size()}; }

}  // namespace

void limit_request(request_parser& parser) {
  parser.header_limit(kLargestRequestHead);
  parser.body_limit(kLargestRequestBody);
}

http_answer answer_parsed(const http::request<http::string_body>& request, const std::vector<std::string>& hosts,
                          const live_scenario& scenario) {
  std::optional<std::string_view> host;
  if (const auto h = request.find(http::field::host); h != request.end()) host = view(h->value());
  return answer_request(view(request.method_string()), view(request.target()), host, hosts, scenario);
}

connection::connection(tcp::socket socket, const connection_context& context)
    : socket_(std::move(socket)),
      deadline_(socket_.get_executor()),
      context_(context),
      opened_(std::chrono::steady_clock::now()) {
  limit_request(parser_);
}

void connection::start() {
  // The whole request within the deadline, however slowly it trickles in.
  arm(context_.options.request_deadline);
  http::async_read(socket_, buffer_, parser_,
                   [self = shared_from_this()](beast::error_code ec, size_t) { self->on_request(ec); });
}

void connection::close() {
  phase_ = phase::closed;
  beast::error_code ignored;
  socket_.close(ignored);
  deadline_.cancel();
}

// A deadline closes the connection; the timer keeps it only weakly, so a
// connection that ended before is not kept for it.
void connection::arm(std::chrono::milliseconds deadline) {
  deadline_.expires_after(deadline);
  deadline_.async_wait([weak = weak_from_this()](beast::error_code ec) {
    if (ec) return;
    if (const auto self = weak.lock()) self->close();
  });
}

void connection::on_request(beast::error_code ec) {
  deadline_.cancel();
  if (phase_ == phase::closed) return;
  // Cut short, too large or not HTTP: nothing worth answering.
  if (ec) return close();
  answer(answer_parsed(parser_.get(), context_.hosts, context_.scenario));
}

void connection::answer(http_answer a) {
  if (a.event_stream && a.status == 200) return start_stream();
  phase_ = phase::answering;
  body_ = a.body ? std::move(a.body) : std::make_shared<const std::string>();
  head_ = answer_head(a, body_->size());
  arm(context_.options.write_deadline);
  const std::array<net::const_buffer, 2> buffers = {net::buffer(head_), net::buffer(*body_)};
  net::async_write(socket_, buffers, [self = shared_from_this()](beast::error_code, size_t) {
    self->deadline_.cancel();
    beast::error_code ignored;
    self->socket_.shutdown(tcp::socket::shutdown_send, ignored);
    self->close();
  });
}

void connection::start_stream() {
  phase_ = phase::streaming;
  watch_peer();
  write(event{context_.scenario.state_text()}, true);
}

// A page sends nothing after its request: whatever ends this read (the
// page gone, the connection reset) ends the stream at once, not at the
// next event. The read, always pending, is also what keeps the stream.
void connection::watch_peer() {
  socket_.async_read_some(net::buffer(&peer_byte_, 1), [self = shared_from_this()](beast::error_code ec, size_t) {
    if (self->phase_ == phase::closed) return;
    if (ec) return self->close();
    self->watch_peer();
  });
}

void connection::send_state(std::shared_ptr<const std::string> state) {
  if (phase_ != phase::streaming) return;
  if (writing_) {
    waiting_ = event{std::move(state)};
    return;
  }
  write(event{std::move(state)}, false);
}

void connection::send_comment() {
  if (phase_ == phase::streaming && !writing_) write(event{nullptr}, false);
}

void connection::write(event e, bool with_head) {
  writing_ = std::move(e);
  std::vector<net::const_buffer> buffers;
  if (with_head) buffers.push_back(net::buffer(kEventStreamHead.data(), kEventStreamHead.size()));
  if (writing_->state) {
    buffers.push_back(net::buffer(kStatePrefix, sizeof kStatePrefix - 1));
    buffers.push_back(net::buffer(*writing_->state));
    buffers.push_back(net::buffer(kEventEnd, sizeof kEventEnd - 1));
  } else {
    buffers.push_back(net::buffer(kComment, sizeof kComment - 1));
  }
  arm(context_.options.write_deadline);
  net::async_write(socket_, buffers, [self = shared_from_this()](beast::error_code ec, size_t) {
    self->deadline_.cancel();
    self->writing_.reset();
    if (self->phase_ == phase::closed) return;
    if (ec) return self->close();
    if (!self->waiting_) return;
    event next = std::move(*self->waiting_);
    self->waiting_.reset();
    self->write(std::move(next), false);
  });
}

connection_pool::connection_pool(tcp::acceptor acceptor, connection_context context)
    : acceptor_(std::move(acceptor)), pause_(acceptor_.get_executor()), context_(std::move(context)) {}

void connection_pool::accept() {
  acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (!acceptor_.is_open()) return;
    if (!ec) {
      admit(std::move(socket));
      return accept();
    }
    // Out of descriptors the next try fails at once as well: wait a while
    // rather than spin; the connections already open go on meanwhile.
    pause_.expires_after(context_.options.accept_pause);
    pause_.async_wait([this](beast::error_code wait) {
      if (!wait && acceptor_.is_open()) accept();
    });
  });
}

void connection_pool::prune() {
  std::erase_if(connections_, [](const std::weak_ptr<connection>& w) {
    const auto c = w.lock();
    return !c || c->current() == connection::phase::closed;
  });
}

void connection_pool::admit(tcp::socket socket) {
  prune();
  if (connections_.size() >= context_.options.most_connections) {
    // The oldest connection still sending its request goes first: a real
    // request arrives whole at once. Failing that, the oldest event stream,
    // whose page reconnects by itself.
    const auto rank = [](const std::shared_ptr<connection>& c) {
      return c->current() == connection::phase::reading ? 0 : c->current() == connection::phase::streaming ? 1 : 2;
    };
    std::shared_ptr<connection> victim;
    for (const auto& w : connections_) {
      const auto c = w.lock();
      if (!victim || rank(c) < rank(victim) || (rank(c) == rank(victim) && c->opened() < victim->opened())) victim = c;
    }
    if (victim) victim->close();
    prune();
  }
  auto c = std::make_shared<connection>(std::move(socket), context_);
  connections_.push_back(c);
  c->start();
}

void connection_pool::publish(const std::shared_ptr<const std::string>& state) {
  prune();
  for (const auto& w : connections_) {
    if (const auto c = w.lock()) c->send_state(state);
  }
}

void connection_pool::keep_alive() {
  prune();
  for (const auto& w : connections_) {
    if (const auto c = w.lock()) c->send_comment();
  }
}

void connection_pool::stop() {
  beast::error_code ignored;
  acceptor_.close(ignored);
  pause_.cancel();
  for (const auto& w : connections_) {
    if (const auto c = w.lock()) c->close();
  }
  connections_.clear();
}

size_t connection_pool::open() {
  prune();
  return connections_.size();
}

}  // namespace scenario::tool
