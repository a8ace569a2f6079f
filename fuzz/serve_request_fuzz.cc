// The live view server's handling of one request, as a connection reads
// it: the bytes go to the request parser with the server's limits, in
// pieces as a socket may deliver them, and a whole request is answered
// as the server answers it (paths, Host check, state), head included.
// Input layout:
//   byte 0: the size of the pieces the bytes arrive in (0: all at once)
//   then the bytes a client sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "tool/serve/connections.h"

namespace {

using namespace scenario;
using namespace scenario::tool;

void check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) text += std::string(l) + "\r\n";
  return text;
}

const live_scenario& built_in_state() {
  static const live_scenario* live = [] {
    auto* l = new live_scenario(definition_set{"linea", "Brenvalo_Morvena", "4815"});
    l->update(definition_texts{joined(line_definition_lines()), joined(train_definition_lines())});
    return l;
  }();
  return *live;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = data[0] == 0 ? size : data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  request_parser parser;
  limit_request(parser);
  parser.eager(true);  // as a whole request is read
  std::string buffered;
  size_t at = 0;
  beast::error_code ec;
  while (!parser.is_done() && at < bytes.size()) {
    const size_t take = std::min(piece, bytes.size() - at);
    buffered.append(bytes.substr(at, take));
    at += take;
    // The connection's buffer holds no more than this.
    if (buffered.size() > kLargestRequestBuffer) return 0;
    const size_t used = parser.put(net::buffer(buffered), ec);
    if (ec == http::error::need_more) ec = {};
    if (ec) return 0;
    buffered.erase(0, used);
  }
  if (!parser.is_done()) return 0;
  const std::vector<std::string> hosts = {"127.0.0.1:8765", "localhost:8765"};
  const http_answer a = answer_parsed(parser.get(), hosts, built_in_state());
  check(a.status == 200 || a.status == 403 || a.status == 404 || a.status == 405);
  // Nothing but a refusal for a request that names another host.
  if (const auto h = parser.get().find(http::field::host); h != parser.get().end() && a.status != 403) {
    check(std::find(hosts.begin(), hosts.end(), std::string(h->value())) != hosts.end());
  }
  check(a.event_stream == (a.status == 200 && a.content_type == "text/event-stream"));
  if (a.event_stream) return 0;
  check(a.body != nullptr);
  const std::string head = answer_head(a, a.body->size());
  // One status line and headers the server wrote, nothing of the request.
  check(head.rfind("HTTP/1.1 " + std::to_string(a.status) + " ", 0) == 0);
  check(head.find("\r\n\r\n") == head.size() - 4);
  return 0;
}
