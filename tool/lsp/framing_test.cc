#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/lsp/framing.h"

namespace scenario::tool {
namespace {

struct drained {
  std::vector<std::string> bodies;
  std::vector<std::string> problems;
};

drained drain(message_framer& framer) {
  drained out;
  while (auto m = framer.next()) {
    if (m->problem.empty()) {
      out.bodies.push_back(m->body);
    } else {
      out.problems.push_back(m->problem);
    }
  }
  return out;
}

// Feeds `stream` a byte at a time, as a slow pipe would.
drained drain_bytewise(message_framer& framer, const std::string& stream) {
  drained out;
  for (char c : stream) {
    framer.feed(std::string_view(&c, 1));
    drained some = drain(framer);
    out.bodies.insert(out.bodies.end(), some.bodies.begin(), some.bodies.end());
    out.problems.insert(out.problems.end(), some.problems.begin(), some.problems.end());
  }
  return out;
}

TEST(LspFraming, ReadsAMessageFedInPiecesOfEverySize) {
  const std::string body = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"x":"\u00e0"}})";
  const std::string stream = frame_message(body);
  EXPECT_EQ(stream.substr(0, 20), "Content-Length: " + std::to_string(body.size()) + "\r\n");
  for (size_t piece = 1; piece <= stream.size(); ++piece) {
    message_framer framer;
    std::vector<std::string> bodies;
    for (size_t at = 0; at < stream.size(); at += piece) {
      framer.feed(std::string_view(stream).substr(at, piece));
      for (const std::string& b : drain(framer).bodies) bodies.push_back(b);
    }
    ASSERT_EQ(bodies.size(), 1u) << "piece " << piece;
    EXPECT_EQ(bodies[0], body);
  }
}

TEST(LspFraming, SeveralMessagesInOneReadAndHeadersInAnyCase) {
  message_framer framer;
  framer.feed(frame_message("{\"a\":1}") +
              "content-length:  7 \r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{\"b\":2}" +
              frame_message("{}") + "Content-Length: 9\r\n\r\n{\"c\"");
  EXPECT_EQ(drain(framer).bodies, (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}", "{}"}));
  framer.feed(":3}  ");
  EXPECT_EQ(drain(framer).bodies, std::vector<std::string>{"{\"c\":3}  "});
}

// A message the framer cannot take costs that message and no other: it
// is told once, and the next header is found wherever it starts.
TEST(LspFraming, ABadMessageIsToldOnceAndTheNextOneIsRead) {
  const std::string next = frame_message("{\"id\":2}");
  const std::string max64 = "18446744073709551615";
  struct row {
    const char* what;
    std::string bad;
    std::string problem;
  } const rows[] = {
      {"no Content-Length, with a body", "Content-Type: x\r\n\r\n{\"id\":1}", "intestazione senza Content-Length valido"},
      {"not a number", "Content-Length: 12a\r\n\r\n{\"id\":1}", "intestazione senza Content-Length valido"},
      {"beyond 64 bits", "Content-Length: 18446744073709551616\r\n\r\n{}", "intestazione senza Content-Length valido"},
      {"2^64-1, no client sends that", "Content-Length: " + max64 + "\r\n\r\n{\"id\":1}",
       "intestazione senza Content-Length valido"},
      {"garbage before a header", "garbage{\"x\":1}", "intestazione senza Content-Length valido"},
      {"a header block that never ends", "Content-Length: 5\r\n" + std::string(64 << 10, 'h'),
       "intestazione troppo lunga, senza riga vuota"},
  };
  for (const row& r : rows) {
    message_framer whole;
    whole.feed(frame_message("{\"id\":0}") + r.bad + next);
    const drained got = drain(whole);
    EXPECT_EQ(got.bodies, (std::vector<std::string>{"{\"id\":0}", "{\"id\":2}"})) << r.what;
    EXPECT_EQ(got.problems, std::vector<std::string>{r.problem}) << r.what;
  }
  // Byte by byte, as the server reads a slow pipe: the same.
  for (const row& r : {rows[0], rows[3], rows[5]}) {
    message_framer framer;
    const drained got = drain_bytewise(framer, r.bad + next);
    EXPECT_EQ(got.bodies, std::vector<std::string>{"{\"id\":2}"}) << r.what;
    EXPECT_EQ(got.problems.size(), 1u) << r.what;
  }
}

TEST(LspFraming, ABodyTooLongToHoldIsSkippedAsItArrives) {
  message_framer framer;
  framer.feed("Content-Length: " + std::to_string(message_framer::kMaxBody + 1) + "\r\n\r\n");
  EXPECT_EQ(drain(framer).problems, std::vector<std::string>{"messaggio troppo lungo: 67108865 byte, al massimo 67108864"});
  const std::string mebibyte(1 << 20, 'x');
  for (size_t fed = 0; fed < message_framer::kMaxBody; fed += mebibyte.size()) {
    framer.feed(mebibyte);
    const drained got = drain(framer);
    ASSERT_TRUE(got.bodies.empty() && got.problems.empty());
  }
  framer.feed("x" + frame_message("{}"));
  const drained got = drain(framer);
  EXPECT_EQ(got.bodies, std::vector<std::string>{"{}"});
  EXPECT_TRUE(got.problems.empty());
}

}  // namespace
}  // namespace scenario::tool
