// The language server facing a client that sends what it should not:
// malformed and hostile messages, URIs that name no definition, bursts of
// changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/ansi_text.h"
#include "model/test_files.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/framing.h"
#include "tool/lsp/input.h"
#include "tool/lsp/server.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;
using scenario::testing::read_file;
using scenario::testing::temp_dir;

// A server that keeps every message it sends.
struct recording_server {
  std::vector<json> sent;
  language_server server{[this](const std::string& body) { sent.push_back(json::parse(body)); }};

  std::vector<json> take(const std::string& body) {
    sent.clear();
    server.handle(body);
    server.check_pending();
    return sent;
  }
  std::vector<json> take(const json& message) { return take(message.dump()); }
};

json request(const std::string& method, const json& params) {
  return {{"jsonrpc", "2.0"}, {"id", 7}, {"method", method}, {"params", params}};
}

json hover_params(const std::string& uri) {
  return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 0}, {"character", 0}}}};
}

TEST(LspProtocol, MalformedMessagesGetTheProtocolsErrors) {
  recording_server s;
  s.take(request("initialize", json::object()));
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string hover =
      R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/R_linea.txt"},"position":)";
  struct row {
    const char* what;
    std::string body;
    int code;
    json id;
  } const rows[] = {
      {"not JSON", "{not json", -32700, nullptr},
      {"nested 100 000 deep in the id", R"({"jsonrpc":"2.0","id":)" + deep + R"(,"method":"shutdown"})", -32600, nullptr},
      {"nested 100 000 deep in the params", R"({"jsonrpc":"2.0","id":3,"method":"textDocument/hover","params":)" + deep + "}",
       -32600, nullptr},
      {"nested deep in a notification", R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":)" + deep + "}",
       -32600, nullptr},
      {"a batch", R"([{"jsonrpc":"2.0","id":3,"method":"shutdown"}])", -32600, nullptr},
      {"no object", "5", -32600, nullptr},
      {"an object as id", R"({"jsonrpc":"2.0","id":{"a":1},"method":"shutdown"})", -32600, nullptr},
      {"a fraction as id", R"({"jsonrpc":"2.0","id":1.5,"method":"shutdown"})", -32600, nullptr},
      {"no method", R"({"jsonrpc":"2.0","id":"a"})", -32600, "a"},
      {"line 1e30", hover + R"({"line":1e30,"character":0}}})", -32602, 7},
      {"line 2^32", hover + R"({"line":4294967296,"character":0}}})", -32602, 7},
      {"line 2^31", hover + R"({"line":2147483648,"character":0}}})", -32602, 7},
      {"line -1", hover + R"({"line":-1,"character":0}}})", -32602, 7},
      {"character 1.5", hover + R"({"line":0,"character":1.5}}})", -32602, 7},
      {"character as text", hover + R"({"line":0,"character":"3"}}})", -32602, 7},
      {"params as text", R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":"x"})", -32602, 7},
      {"a NUL in the URI", request("textDocument/hover", hover_params("file:///etc/passwd%00_linea.txt")).dump(), -32602, 7},
  };
  for (const row& r : rows) {
    const std::vector<json> got = s.take(r.body);
    ASSERT_EQ(got.size(), 1u) << r.what;
    EXPECT_EQ(got.at(0).at("error").at("code"), r.code) << r.what << ": " << got.at(0).dump();
    EXPECT_EQ(got.at(0).at("id"), r.id) << r.what;
  }
  // Nesting a protocol message may need is read; a response from the
  // client gets none; and the server goes on.
  const std::string nested = std::string(60, '[') + std::string(60, ']');
  const auto fine = s.take(R"({"jsonrpc":"2.0","id":8,"method":"textDocument/hover","params":{"x":)" + nested +
                           R"(,"textDocument":{"uri":"file:///tmp/notes.txt"},"position":{"line":2147483647,"character":0}}})");
  ASSERT_EQ(fine.size(), 1u);
  EXPECT_EQ(fine.at(0).at("result"), nullptr) << fine.at(0).dump();
  EXPECT_TRUE(s.take(std::string(R"({"jsonrpc":"2.0","id":9,"result":null})")).empty());
  EXPECT_EQ(s.take(request("shutdown", nullptr))[0]["result"], nullptr);
}

TEST(LspProtocol, AUriNamesALocalFileByItsWholeNameOrNothing) {
  const std::optional<std::string> none;
  struct row {
    std::string uri;
    std::optional<std::string> path;
  } const rows[] = {
      {"file:///home/a/R_linea.txt", "/home/a/R_linea.txt"},
      {"file:///home/a%20b/R%5flinea.txt", "/home/a b/R_linea.txt"},
      {"FILE://localhost/x/R_linea.txt", "/x/R_linea.txt"},
      {"file:///etc/passwd%00_linea.txt", none},
      {std::string("file:///etc/passwd\0_linea.txt", 30), none},
      {"file:///a/R_linea.txt%0", none},
      {"file:///a/%zz_linea.txt", none},
      {"file://host/share/R_linea.txt", none},
      {"file://R_linea.txt", none},
      {"file:R_linea.txt", none},
      {"untitled:R_linea.txt", none},
      {"", none},
  };
  for (const row& r : rows) EXPECT_EQ(uri_to_path(r.uri), r.path) << r.uri;
  const std::string odd = "/tmp/a b/%41\xC3\xA0/R 1-.txt";
  EXPECT_EQ(uri_to_path(path_to_uri(odd)), odd);
}

// Only regular files are read, and only those named as definitions: no
// device, pipe or directory, whatever its name.
TEST(LspProtocol, ReadsOnlyRegularFilesNamedAsDefinitions) {
  temp_dir dir;
  std::filesystem::create_directory(dir.file("D_linea.txt"));
  ASSERT_EQ(mkfifo(dir.file("F_linea.txt").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.file("Z_linea.txt"));
  recording_server s;
  s.take(request("initialize", json::object()));
  for (const std::string& uri : std::vector<std::string>{"file:///dev/zero", "file:///dev/stdin", "file:///etc/passwd",
                                path_to_uri(dir.file("D_linea.txt")), path_to_uri(dir.file("F_linea.txt")),
                                path_to_uri(dir.file("Z_linea.txt"))}) {
    const auto got = s.take(request("textDocument/hover", hover_params(uri)));
    ASSERT_EQ(got.size(), 1u) << uri;
    EXPECT_EQ(got.at(0).at("result"), nullptr) << uri << ": " << got.at(0).dump();
  }
  // A train beside a directory named as its line definition: there is no
  // line definition, and the fault says so.
  const std::string train = dir.file("D_1-.txt");
  dati_treno(dir.str(), {"D", "1"});
  const auto got = s.take(json{{"jsonrpc", "2.0"},
                               {"method", "textDocument/didOpen"},
                               {"params", {{"textDocument", {{"uri", path_to_uri(train)}, {"text", ansi_to_utf8(read_file(train))}}}}}});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got.at(0).at("params").at("uri"), path_to_uri(train));
  ASSERT_EQ(got.at(0).at("params").at("diagnostics").size(), 1u) << got.at(0).dump();
  EXPECT_EQ(got.at(0).at("params").at("diagnostics").at(0).at("code"), 101);
}

// Input given a chunk at a time; "" marks a pause, where nothing waits.
class scripted_input : public message_input {
 public:
  explicit scripted_input(std::vector<std::string> chunks) : chunks_(std::move(chunks)) {}
  size_t read(char* data, size_t size) override {
    while (next_ < chunks_.size() && chunks_[next_].empty()) ++next_;
    if (next_ == chunks_.size()) return 0;
    std::string& chunk = chunks_[next_];
    const size_t n = std::min(size, chunk.size());
    chunk.copy(data, n);
    chunk.erase(0, n);
    if (chunk.empty()) ++next_;
    return n;
  }
  bool ready() override { return next_ < chunks_.size() && !chunks_[next_].empty(); }

 private:
  std::vector<std::string> chunks_;
  size_t next_ = 0;
};

TEST(LspProtocol, ChangesThatArriveWhileCheckingAreCheckedOnce) {
  temp_dir dir;
  dati_linea(dir.str(), {"R", "1"});
  dati_treno(dir.str(), {"R", "1"});
  const std::string uri = path_to_uri(dir.file("R_1-.txt"));
  const std::string text = ansi_to_utf8(read_file(dir.file("R_1-.txt")));
  std::vector<std::string> chunks = {frame_message(request("initialize", json::object()).dump())};
  std::string changed = text;
  for (int version = 1; version <= 20; ++version) {
    // Each version one more line that is no record: one more warning.
    changed.insert(changed.find("[fine]"), "campo" + std::to_string(version) + ", 1\n");
    const json message = version == 1
        ? json{{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
               {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", changed}}}}}}
        : json{{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
               {"params", {{"textDocument", {{"uri", uri}, {"version", version}}}, {"contentChanges", {{{"text", changed}}}}}}};
    chunks.push_back(frame_message(message.dump()));
  }
  chunks.push_back("");  // the editor waits
  chunks.push_back(frame_message(request("shutdown", nullptr).dump()) +
                   frame_message(R"({"jsonrpc":"2.0","method":"exit"})"));
  scripted_input input(chunks);
  std::vector<json> sent;
  language_server server([&](const std::string& body) { sent.push_back(json::parse(body)); });
  std::ostringstream err;
  serve_messages(input, server, err);
  EXPECT_TRUE(server.exited());
  std::vector<json> published;
  for (const json& m : sent) {
    if (m.value("method", "") == "textDocument/publishDiagnostics" && m.at("params").at("uri") == uri)
      published.push_back(m);
  }
  ASSERT_EQ(published.size(), 1u);
  // The last text's findings, as a server given it alone finds them.
  recording_server alone;
  alone.take(request("initialize", json::object()));
  const auto expected = alone.take(json{{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                                        {"params", {{"textDocument", {{"uri", uri}, {"text", changed}}}}}});
  ASSERT_EQ(expected.size(), 2u);  // the train's and the line definition's
  EXPECT_EQ(published.at(0).at("params"),
            expected.at(0).at("params").at("uri") == uri ? expected.at(0).at("params") : expected.at(1).at("params"));
  EXPECT_EQ(published[0]["params"]["diagnostics"].size(), 20u);
  EXPECT_EQ(err.str(), "");
}

TEST(LspProtocol, AMessageTheFramingRefusesIsAnsweredAndTheNextOneRead) {
  scripted_input input({"Content-Type: x\r\n\r\n{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\"}" +
                        frame_message(request("initialize", json::object()).dump())});
  std::vector<json> sent;
  language_server server([&](const std::string& body) { sent.push_back(json::parse(body)); });
  std::ostringstream err;
  serve_messages(input, server, err);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0]["id"], nullptr);
  EXPECT_EQ(sent[0]["error"]["code"], -32700);
  EXPECT_EQ(sent[0]["error"]["message"], "intestazione senza Content-Length valido");
  EXPECT_EQ(sent[1]["id"], 7);
  EXPECT_TRUE(sent[1].contains("result"));
  EXPECT_EQ(err.str(), "scenario lsp: intestazione senza Content-Length valido\n");
}

}  // namespace
}  // namespace scenario::tool
