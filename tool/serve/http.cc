#include "tool/serve/http.h"

#include <algorithm>

namespace scenario::tool {
namespace {

// The page may load nothing from anywhere and talk only to this server.
constexpr char kPagePolicy[] =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

http_answer plain(unsigned status, std::string text) {
  return {status, "text/plain; charset=utf-8", std::make_shared<const std::string>(std::move(text) + "\n"), false};
}

const char* reason(unsigned status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

}  // namespace

http_answer answer_request(std::string_view method, std::string_view target, std::optional<std::string_view> host,
                           const std::vector<std::string>& own_hosts, const live_scenario& scenario) {
  // A page of another site that made its name point here gets nothing; a
  // browser always names the host, a program need not.
  if (host && !own_hosts.empty() && std::find(own_hosts.begin(), own_hosts.end(), *host) == own_hosts.end()) {
    return plain(403, "richiesta rifiutata: indirizzo non riconosciuto");
  }
  const std::string_view path = target.substr(0, target.find('?'));
  const bool known = path == "/" || path == "/dati.json" || path == "/oggetti.json" || path == "/eventi";
  if (!known) return plain(404, "pagina non trovata");
  if (method != "GET") return plain(405, "metodo non ammesso");
  if (path == "/") {
    // The page lives as long as the program: shared without an owner.
    return {200, "text/html; charset=utf-8", std::shared_ptr<const std::string>(std::shared_ptr<void>(), &serve_page()),
            false};
  }
  if (path == "/eventi") return {200, "text/event-stream", nullptr, true};
  if (path == "/oggetti.json") return {200, "application/json; charset=utf-8", scenario.objects_text(), false};
  return {200, "application/json; charset=utf-8", scenario.state_text(), false};
}

std::vector<std::string> own_hosts(const std::string& address, bool loopback, uint16_t port) {
  if (!loopback) return {};
  const std::string at = ":" + std::to_string(port);
  return {address + at, "localhost" + at};
}

std::string answer_head(const http_answer& answer, size_t body_size) {
  return "HTTP/1.1 " + std::to_string(answer.status) + " " + reason(answer.status) +
         "\r\nContent-Type: " + answer.content_type + "\r\nContent-Length: " + std::to_string(body_size) +
         "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nContent-Security-Policy: " + kPagePolicy +
         "\r\nConnection: close\r\n\r\n";
}

}  // namespace scenario::tool
