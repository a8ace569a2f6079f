#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/lsp_framing.h"

namespace scenario::tool {
namespace {

std::vector<std::string> drain(message_framer& framer, std::vector<std::string>* problems = nullptr) {
  std::vector<std::string> bodies;
  std::string problem;
  while (auto body = framer.next(&problem)) bodies.push_back(*body);
  if (problems != nullptr && !problem.empty()) problems->push_back(problem);
  return bodies;
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
      for (const std::string& b : drain(framer)) bodies.push_back(b);
    }
    ASSERT_EQ(bodies.size(), 1u) << "piece " << piece;
    EXPECT_EQ(bodies[0], body);
    EXPECT_EQ(framer.body_remaining(), 0u);
  }
}

TEST(LspFraming, SeveralMessagesInOneReadAndHeadersInAnyCase) {
  message_framer framer;
  framer.feed(frame_message("{\"a\":1}") +
              "content-length:  7 \r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{\"b\":2}" +
              frame_message("{}") + "Content-Length: 9\r\n\r\n{\"c\"");
  EXPECT_EQ(drain(framer), (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}", "{}"}));
  EXPECT_EQ(framer.body_remaining(), 5u);  // the reader asks for exactly the rest
  framer.feed(":3}  ");
  EXPECT_EQ(drain(framer), std::vector<std::string>{"{\"c\":3}  "});
}

TEST(LspFraming, DropsABadHeaderOrAnOversizedBodyAndGoesOn) {
  message_framer framer;
  std::vector<std::string> problems;
  framer.feed("Content-Type: x\r\n\r\n" + std::string("Content-Length: 12a\r\n\r\n") + frame_message("{\"ok\":1}"));
  EXPECT_EQ(drain(framer, &problems), std::vector<std::string>{"{\"ok\":1}"});
  EXPECT_EQ(problems.size(), 1u);

  const std::string huge = std::to_string(message_framer::kMaxBody + 1);
  framer.feed("Content-Length: " + huge + "\r\n\r\n");
  framer.feed(std::string(1000, 'x'));
  problems.clear();
  EXPECT_TRUE(drain(framer, &problems).empty());
  EXPECT_EQ(problems, std::vector<std::string>{"messaggio troppo lungo"});
  // The refused body is skipped as it arrives, without being kept.
  framer.feed(std::string(message_framer::kMaxBody + 1 - 1000, 'x') + frame_message("{}"));
  EXPECT_EQ(drain(framer), std::vector<std::string>{"{}"});
}

}  // namespace
}  // namespace scenario::tool
