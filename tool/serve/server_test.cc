// The live view's server on real sockets: who it answers, and that no
// client, slow, silent or gone, keeps it from answering the next one.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <span>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "tool/serve/server.h"
#include "tool/serve/state.h"

namespace scenario::tool {
namespace {

using namespace std::chrono_literals;

constexpr char kLine[] =
    "[generale]\r\nlunghezza percorso,    5000\r\n[fine]\r\n";
constexpr char kTrain[] =
    "[generale]\r\nvelocita,    0,    70\r\n[stazioni]\r\n"
    "stazione,    0,    12,    400,    0, 0, 0, 1, 1, 0, 4, 1, 1, 1,    7, 30, 0,    VALLE ALTA\r\n[fine]\r\n";

// The built-in line: a state of some hundred kilobytes.
definition_texts built_in() {
  const auto joined = [](std::span<const std::string_view> lines) {
    std::string text;
    for (std::string_view l : lines) text += std::string(l) + "\r\n";
    return text;
  };
  return {joined(line_definition_lines()), joined(train_definition_lines())};
}

// A client socket; closed with the object.
class client {
 public:
  // `window`: a receive buffer this small, as a page that reads nothing.
  client(const std::string& address, uint16_t port, int window = 0) {
    const bool v6 = address.find(':') != std::string::npos;
    fd_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    timeval wait{5, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    if (window > 0) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    if (v6) {
      sockaddr_in6 at{};
      at.sin6_family = AF_INET6;
      at.sin6_port = htons(port);
      inet_pton(AF_INET6, address.c_str(), &at.sin6_addr);
      connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    } else {
      sockaddr_in at{};
      at.sin_family = AF_INET;
      at.sin_port = htons(port);
      inet_pton(AF_INET, address.c_str(), &at.sin_addr);
      connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    }
  }
  ~client() { ::close(fd_); }
  client(const client&) = delete;
  client& operator=(const client&) = delete;

  bool connected() const { return connected_; }
  void send(const std::string& bytes) { ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }
  // Everything until the server closes (or `until` appears), within 5 s.
  std::string receive(const std::string& until = "") {
    std::string got;
    char chunk[4096];
    while (until.empty() || got.find(until) == std::string::npos) {
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      got.append(chunk, static_cast<size_t>(n));
    }
    return got;
  }
  // Whether the server closed the connection: a read sees its end, or a
  // reset when it closed with the request unread.
  bool closed_by_server() {
    char byte;
    const ssize_t n = ::recv(fd_, &byte, 1, 0);
    return n == 0 || (n < 0 && errno == ECONNRESET);
  }
  // Whether the connection is open with nothing to read now.
  bool open_and_quiet() {
    char byte;
    return ::recv(fd_, &byte, 1, MSG_DONTWAIT) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

std::string get(const std::string& path, const std::string& host) {
  return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
}

std::string status_of(const std::string& reply) { return reply.size() >= 12 ? reply.substr(9, 3) : reply; }

// A server on a free port of its own, run on a thread of its own.
class running_server {
 public:
  explicit running_server(server_options options, const definition_texts& texts = {kLine, kTrain},
                          std::function<bool()> poll = [] { return false; })
      : live_(definition_set{"valle", "Valle_Alta", "101"}) {
    live_.update(texts);
    options.port = 0;  // any free one
    options.port_given = true;
    server_ = std::make_unique<live_server>(options, live_, std::move(poll));
    if (server_->problem().empty()) thread_ = std::thread([this] { server_->run(false); });
  }
  ~running_server() {
    if (thread_.joinable()) {
      server_->stop();
      thread_.join();
    }
  }

  bool listening() const { return server_->problem().empty(); }
  uint16_t port() const { return server_->port(); }
  std::string host() const { return "127.0.0.1:" + std::to_string(port()); }
  live_server& server() { return *server_; }
  // Waits up to two seconds for the count of open connections to be `n`.
  bool settles_at(size_t n) {
    for (int i = 0; i < 200; ++i) {
      if (server_->open_connections() == n) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

 private:
  live_scenario live_;
  std::unique_ptr<live_server> server_;
  std::thread thread_;
};

TEST(ServeServer, OnEveryLoopbackAddressAPageElsewhereIsRefused) {
  for (const std::string host : {"127.0.0.1", "localhost", "::1"}) {
    SCOPED_TRACE(host);
    server_options options;
    options.host = host;
    options.host_given = true;
    running_server s(options);
    if (!s.listening() && host == "::1") continue;  // no IPv6 here
    ASSERT_TRUE(s.listening()) << s.server().problem();
    const std::string address = host == "::1" ? "::1" : "127.0.0.1";
    const std::string port = ":" + std::to_string(s.port());
    const std::string own = (host == "::1" ? "[::1]" : "127.0.0.1") + port;
    for (const auto& [name, status] : std::vector<std::pair<std::string, std::string>>{
             {own, "200"}, {"localhost" + port, "200"}, {"rebound.example" + port, "403"}}) {
      client c(address, s.port());
      ASSERT_TRUE(c.connected());
      c.send(get("/dati.json", name));
      EXPECT_EQ(status_of(c.receive()), status) << name;
    }
  }
}

TEST(ServeServer, ARequestThatNeverEndsIsClosedAtItsDeadline) {
  server_options options;
  options.request_deadline = 200ms;
  running_server s(options);
  ASSERT_TRUE(s.listening());
  client slow("127.0.0.1", s.port());
  slow.send("GET /dati.json HTTP/1.1\r\nHost: " + s.host() + "\r\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(slow.closed_by_server());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_TRUE(s.settles_at(0));
}

TEST(ServeServer, MoreConnectionsThanTheCapStillLetARealRequestThrough) {
  server_options options;
  options.most_connections = 4;
  running_server s(options);
  ASSERT_TRUE(s.listening());
  std::vector<std::unique_ptr<client>> idle;
  for (int i = 0; i < 12; ++i) {
    idle.push_back(std::make_unique<client>("127.0.0.1", s.port()));
    idle.back()->send("GET / HTTP/1.1\r\n");
  }
  // An event stream open too: a request that waits goes before it.
  client stream("127.0.0.1", s.port());
  stream.send(get("/eventi", s.host()));
  EXPECT_NE(stream.receive("\n\n").find("data: {"), std::string::npos);
  client real("127.0.0.1", s.port());
  real.send(get("/dati.json", s.host()));
  EXPECT_EQ(status_of(real.receive()), "200");
  EXPECT_LE(s.server().open_connections(), 4u);
  // The oldest waiting requests were closed to make room; the stream was not.
  EXPECT_TRUE(idle.front()->closed_by_server());
  EXPECT_TRUE(stream.open_and_quiet());
}

TEST(ServeServer, AnEventStreamEndsWhenItsPageGoesAwayNotAtTheNextEvent) {
  running_server s(server_options{});
  ASSERT_TRUE(s.listening());
  for (int i = 0; i < 3; ++i) {
    {
      client page("127.0.0.1", s.port());
      page.send(get("/eventi", s.host()));
      EXPECT_NE(page.receive("\n\n").find("text/event-stream"), std::string::npos);
      EXPECT_TRUE(s.settles_at(1));
    }
    // No state was sent since and no comment is due for seconds.
    EXPECT_TRUE(s.settles_at(0));
  }
}

// A page that takes none of its events holds at most the state being
// written and the newest one, and is closed when a write does not leave
// within the deadline.
TEST(ServeServer, APageThatReadsNothingIsDroppedAtTheWriteDeadline) {
  server_options options;
  options.write_deadline = 300ms;
  options.poll_every = 5ms;
  running_server s(options, built_in(), [] { return true; });  // a state every poll
  ASSERT_TRUE(s.listening());
  client page("127.0.0.1", s.port(), 4096);
  page.send(get("/eventi", s.host()));
  EXPECT_TRUE(s.settles_at(1));
  EXPECT_TRUE(s.settles_at(0));
}

}  // namespace
}  // namespace scenario::tool
