#include "tool/lsp_server.h"

#include <filesystem>
#include <map>

#include "model/ansi_text.h"
#include "tool/definition_findings.h"
#include "tool/lsp_language.h"
#include "tool/lsp_text.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

// JSON-RPC and protocol error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 2;

json capabilities() {
  return {{"positionEncoding", "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
          {"hoverProvider", true},
          {"completionProvider", {{"triggerCharacters", {"["}}}},
          {"documentSymbolProvider", true}};
}

json point(uint32_t line, uint32_t character) { return {{"line", line}, {"character", character}}; }

// The range of the field a finding points at, in the editor's columns of
// the file's text `utf8`; the start of the file when it names no line.
json finding_range(const source_site& site, const std::string& utf8) {
  if (site.line <= 0) return {{"start", point(0, 0)}, {"end", point(0, 0)}};
  const auto lines = split_lines(utf8);
  const size_t index = static_cast<size_t>(site.line - 1);
  const std::string_view editor = index < lines.size() ? lines[index] : std::string_view();
  const std::string ansi = site.text.empty() ? utf8_to_ansi(editor) : site.text;
  const size_t begin = site.column > 0 ? static_cast<size_t>(site.column - 1) : 0;
  const size_t end = site.column > 0 ? field_end(ansi, begin, field_type::unknown) : ansi.size();
  return {{"start", point(static_cast<uint32_t>(index), utf16_column(editor, begin))},
          {"end", point(static_cast<uint32_t>(index), utf16_column(editor, end))}};
}

std::string text_document_path(const json& params) {
  return uri_to_path(params.at("textDocument").at("uri").get<std::string>());
}

text_position position_of(const json& params) {
  const json& p = params.at("position");
  return {p.at("line").get<uint32_t>(), p.at("character").get<uint32_t>()};
}

}  // namespace

void language_server::handle(const std::string& body) {
  json message;
  try {
    message = json::parse(body);
  } catch (const json::exception&) {
    reply_error(nullptr, kParseError, "messaggio JSON non valido");
    return;
  }
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    if (message.is_object() && message.contains("id")) reply_error(message["id"], kInvalidRequest, "richiesta non valida");
    return;  // a response from the client: the server asks nothing
  }
  const std::string method = message["method"];
  const json params = message.value("params", json::object());
  try {
    if (message.contains("id")) {
      request(message["id"], method, params);
    } else {
      notification(method, params);
    }
  } catch (const std::exception& e) {
    // Whatever went wrong with one message, the editor keeps its server.
    if (message.contains("id")) reply_error(message["id"], kInternalError, std::string("errore interno: ") + e.what());
  }
}

void language_server::request(const json& id, const std::string& method, const json& params) {
  if (method == "initialize") {
    initialized_ = true;
    reply(id, {{"capabilities", capabilities()}, {"serverInfo", {{"name", "scenario"}}}});
    return;
  }
  if (!initialized_) return reply_error(id, kServerNotInitialized, "server non inizializzato");
  if (shutdown_) return reply_error(id, kInvalidRequest, "server in chiusura");
  if (method == "shutdown") {
    shutdown_ = true;
    return reply(id, nullptr);
  }
  try {
    const json result = answer(method, params);
    if (result.is_discarded()) return reply_error(id, kMethodNotFound, "metodo non gestito: " + method);
    reply(id, result);
  } catch (const json::exception& e) {
    reply_error(id, kInvalidParams, std::string("parametri non validi: ") + e.what());
  }
}

json language_server::answer(const std::string& method, const json& params) {
  const bool known = method == "textDocument/hover" || method == "textDocument/completion" ||
                     method == "textDocument/documentSymbol";
  if (!known) return json(json::value_t::discarded);
  const std::string path = text_document_path(params);
  const definition_file file = definition_kind(std::filesystem::path(path).filename().string());
  const auto text = documents_.utf8_text(path);
  if (file == definition_file::none || !text) return method == "textDocument/hover" ? json(nullptr) : json::array();
  if (method == "textDocument/hover") return hover_at(file, *text, position_of(params));
  if (method == "textDocument/completion") return completion_at(file, *text, position_of(params));
  return document_symbols(file, *text);
}

void language_server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;
  try {
    if (method == "textDocument/didOpen") {
      const json& doc = params.at("textDocument");
      documents_.open(doc.at("uri").get<std::string>(), doc.at("text").get<std::string>());
      check(text_document_path(params));
    } else if (method == "textDocument/didChange") {
      const json& changes = params.at("contentChanges");
      if (changes.empty()) return;
      // Whole-text synchronisation: the last change holds the full text.
      documents_.change(params.at("textDocument").at("uri").get<std::string>(),
                        changes.back().at("text").get<std::string>());
      check(text_document_path(params));
    } else if (method == "textDocument/didSave") {
      check(text_document_path(params));
    } else if (method == "textDocument/didClose") {
      documents_.close(params.at("textDocument").at("uri").get<std::string>());
      check(text_document_path(params));
    }
  } catch (const json::exception&) {
    // A malformed notification has no answer; it is left out.
  }
}

void language_server::check(const std::string& path) {
  const auto pair = documents_.pair_of(path);
  if (!pair) return;
  const definition_texts texts = documents_.texts_of(*pair);
  // Every file of the pair gets its list, an empty one clearing the last.
  std::map<std::string, json> lists;
  if (texts.line) lists[pair->line_path] = json::array();
  if (texts.train) lists[pair->train_path] = json::array();
  lists.emplace(path, json::array());
  for (const definition_finding& f : collect_findings(texts, pair->id)) {
    std::string target = f.site.file == definition_file::line    ? pair->line_path
                         : f.site.file == definition_file::train ? pair->train_path
                                                                 : std::string();
    source_site site = f.site;
    if (target.empty() || lists.count(target) == 0) {
      // A finding about a file that is not there, or about none: shown at
      // the start of the file being edited.
      target = path;
      site = source_site{};
    }
    const auto text = documents_.utf8_text(target);
    json diagnostic = {{"range", finding_range(site, text.value_or(""))},
                       {"severity", f.is_fault ? kSeverityError : kSeverityWarning},
                       {"source", "scenario"},
                       {"message", f.is_fault ? "errore " + std::to_string(f.code) + ": " + f.message
                                              : "avviso: " + f.message}};
    if (f.is_fault) diagnostic["code"] = f.code;
    lists[target].push_back(diagnostic);
  }
  for (const auto& [file, list] : lists) publish(file, list);
}

void language_server::publish(const std::string& path, const json& diagnostics) {
  write({{"jsonrpc", "2.0"},
         {"method", "textDocument/publishDiagnostics"},
         {"params", {{"uri", documents_.uri_of(path)}, {"diagnostics", diagnostics}}}});
}

void language_server::reply(const json& id, const json& result) {
  write({{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

void language_server::reply_error(const json& id, int code, const std::string& message) {
  write({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void language_server::write(const json& message) {
  // Text from a definition is valid UTF-8 by now; replace anything else
  // rather than fail on it.
  send_(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

}  // namespace scenario::tool
