#include "tool/lsp/server.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

#include "model/ansi_text.h"
#include "model/definition_files.h"
#include "model/diagnostics.h"
#include "model/field_reader.h"
#include "tool/definition_findings.h"
#include "tool/lsp/encoding.h"
#include "tool/lsp/field_ends.h"
#include "tool/lsp/language.h"
#include "tool/lsp/text.h"

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

// Messages of the protocol nest a few levels; a value nested deeper than
// this is refused while it is parsed, before it is built, copied or freed.
constexpr int kMaxNesting = 64;
// The largest line or character number of the protocol (its uinteger).
constexpr uint64_t kMaxPosition = 0x7FFFFFFF;

struct too_deep : std::runtime_error {
  too_deep() : std::runtime_error("troppo annidato") {}
};

// Wrong parameters of a request: answered as such, with these words.
struct invalid_params : std::runtime_error {
  using std::runtime_error::runtime_error;
};

json parse_bounded(const std::string& body) {
  return json::parse(body, [](int depth, json::parse_event_t event, json&) {
    if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
        depth >= kMaxNesting) {
      throw too_deep();
    }
    return true;
  });
}

// The protocol's ids are integers or strings; only those are echoed.
bool is_request_id(const json& id) { return id.is_string() || id.is_number_integer(); }

json capabilities() {
  return {{"positionEncoding", "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
          {"hoverProvider", true},
          {"completionProvider", {{"triggerCharacters", {"["}}}},
          {"documentSymbolProvider", true}};
}

// A string as JSON text; anything not UTF-8 replaced rather than refused.
std::string json_string(const std::string& text) {
  return json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

// Appends to `list` the range of the field a finding points at, in the
// editor's columns of the file's text split into `lines` (the start of the
// file when it names no line), as the JSON text of a range. `ends` reads
// the file as the check did; without it the range is empty.
void append_range(std::string* list, const source_site& site, const std::vector<std::string_view>& lines,
                  const field_ends* ends) {
  size_t line = 0, end_line = 0, begin = 0, end = 0;
  if (site.line > 0) {
    line = end_line = static_cast<size_t>(site.line - 1);
    const auto editor = [&](size_t l) { return l < lines.size() ? lines[l] : std::string_view(); };
    if (site.column > 0) {
      const field_site at{site.line, site.column};
      const field_site last = ends != nullptr ? ends->end_of(at) : at;
      end_line = static_cast<size_t>(last.line - 1);
      begin = utf16_column(editor(line), static_cast<size_t>(site.column - 1));
      end = utf16_column(editor(end_line), static_cast<size_t>(last.column - 1));
    } else {
      end = utf16_column(editor(line), editor(line).size());  // the whole line
    }
  }
  *list += R"({"start":{"line":)" + std::to_string(line) + R"(,"character":)" + std::to_string(begin) +
           R"(},"end":{"line":)" + std::to_string(end_line) + R"(,"character":)" + std::to_string(end) + "}}";
}

// Appends one finding to `list` as the JSON text of a diagnostic. The
// diagnostics are written as text, not built as JSON values: a check may
// publish tens of thousands, and the values cost more than the check.
void append_diagnostic(std::string* list, const definition_finding& f, const source_site& site,
                       const std::vector<std::string_view>& lines, const field_ends* ends) {
  *list += list->empty() ? "[" : ",";
  *list += R"({"range":)";
  append_range(list, site, lines, ends);
  const bool error = f.is_fault || (f.warning && warning_is_fault_level(*f.warning));
  *list += R"(,"severity":)" + std::to_string(error ? kSeverityError : kSeverityWarning);
  if (f.is_fault) *list += R"(,"code":)" + std::to_string(f.code);
  *list += R"(,"source":"scenario","message":)";
  *list += json_string(f.is_fault ? "errore " + std::to_string(f.code) + ": " + f.message
                                  : (error ? "errore: " : "avviso: ") + f.message);
  *list += "}";
}

// The definition a finding is about. The line definition's missing
// general section (an empty file, say) stands on no line of it.
definition_file file_of(const definition_finding& f) {
  if (f.site.file == definition_file::none && f.is_fault && f.code == kNoGeneralSectionFault) {
    return definition_file::line;
  }
  return f.site.file;
}

bool is_encoding_warning(const definition_finding& f, definition_file file) {
  return f.warning == warning_kind::not_ansi_text && f.site.file == file;
}

std::string document_uri(const json& params) { return params.at("textDocument").at("uri").get<std::string>(); }

std::string text_document_path(const json& params) {
  auto path = uri_to_path(document_uri(params));
  if (!path) throw invalid_params("URI del documento non valido: solo file locali, per percorso assoluto, senza NUL");
  return std::move(*path);
}

uint32_t position_number(const json& position, const char* name) {
  const json& value = position.at(name);
  if (!value.is_number_unsigned() || value.get<uint64_t>() > kMaxPosition) {
    throw invalid_params(std::string("posizione non valida: ") + name + " deve essere un intero da 0 a " +
                         std::to_string(kMaxPosition));
  }
  return static_cast<uint32_t>(value.get<uint64_t>());
}

text_position position_of(const json& params) {
  const json& p = params.at("position");
  return {position_number(p, "line"), position_number(p, "character")};
}

}  // namespace

void language_server::handle(const std::string& body) {
  json message;
  try {
    message = parse_bounded(body);
  } catch (const too_deep&) {
    return reply_error(nullptr, kInvalidRequest,
                       "messaggio annidato oltre " + std::to_string(kMaxNesting) + " livelli");
  } catch (const json::exception&) {
    return reply_error(nullptr, kParseError, "messaggio JSON non valido");
  }
  if (message.is_array()) {
    return reply_error(nullptr, kInvalidRequest, "il protocollo non usa lotti di messaggi: uno alla volta");
  }
  if (!message.is_object()) return reply_error(nullptr, kInvalidRequest, "il messaggio non e' un oggetto JSON");
  const auto id = message.find("id");
  const bool has_id = id != message.end();
  if (has_id && !is_request_id(*id)) {
    return reply_error(nullptr, kInvalidRequest, "id della richiesta non valido: deve essere un intero o una stringa");
  }
  const auto method = message.find("method");
  if (method == message.end() || !method->is_string()) {
    // A response from the client (the server asks nothing) is left alone.
    if (has_id && !message.contains("result") && !message.contains("error")) {
      reply_error(*id, kInvalidRequest, "richiesta senza metodo");
    }
    return;
  }
  const auto found = message.find("params");
  const json no_params = json::object();
  const json& params = found == message.end() ? no_params : *found;
  const std::string name = method->get<std::string>();
  try {
    if (has_id) {
      request(*id, name, params);
    } else {
      notification(name, params);
    }
  } catch (const std::exception& e) {
    // Whatever went wrong with one message, the editor keeps its server.
    if (has_id) reply_error(*id, kInternalError, std::string("errore interno: ") + e.what());
  }
}

void language_server::refuse_message(const std::string& problem) { reply_error(nullptr, kParseError, problem); }

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
  } catch (const invalid_params& e) {
    reply_error(id, kInvalidParams, e.what());
  } catch (const json::exception& e) {
    reply_error(id, kInvalidParams, std::string("parametri non validi: ") + e.what());
  }
}

json language_server::answer(const std::string& method, const json& params) {
  const bool known = method == "textDocument/hover" || method == "textDocument/completion" ||
                     method == "textDocument/documentSymbol";
  if (!known) return json(json::value_t::discarded);
  const std::string path = text_document_path(params);
  const text_position at = method == "textDocument/documentSymbol" ? text_position{} : position_of(params);
  const json nothing = method == "textDocument/hover" ? json(nullptr) : json::array();
  // Only a definition, by its name, is ever read.
  const definition_file file = definition_kind(std::filesystem::path(path).filename().string());
  if (file == definition_file::none) return nothing;
  const auto text = documents_.utf8_text(path);
  if (!text) return nothing;
  if (method == "textDocument/hover") return hover_at(file, *text, at);
  if (method == "textDocument/completion") return completion_at(file, *text, at);
  return document_symbols(file, *text);
}

void language_server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;
  try {
    // A URI that names no local file is left out, as a malformed
    // notification is: it has no answer.
    if (method == "textDocument/didOpen") {
      const std::string uri = document_uri(params);
      if (!documents_.open(uri, params.at("textDocument").at("text").get<std::string>())) return;
      disk_encoding_.erase(text_document_path(params));
      check(text_document_path(params));
    } else if (method == "textDocument/didChange") {
      const json& changes = params.at("contentChanges");
      if (!changes.is_array() || changes.empty()) return;
      // Whole-text synchronisation: the last change holds the full text.
      if (!documents_.change(document_uri(params), changes.back().at("text").get<std::string>())) return;
      check(text_document_path(params));
    } else if (method == "textDocument/didSave") {
      disk_encoding_.erase(text_document_path(params));
      check(text_document_path(params));
    } else if (method == "textDocument/didClose") {
      if (!documents_.close(document_uri(params))) return;
      disk_encoding_.erase(text_document_path(params));
      check(text_document_path(params));
    }
  } catch (const json::exception&) {
  } catch (const invalid_params&) {
  }
}

void language_server::check(const std::string& path) {
  for (const std::string& p : pending_) {
    if (p == path) return;
  }
  pending_.push_back(path);
}

void language_server::check_pending() {
  const std::vector<std::string> paths = std::exchange(pending_, {});
  // One check a pair, for the file changed last.
  std::set<std::pair<std::string, std::string>> done;
  for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
    const auto pair = documents_.pair_of(*it);
    if (!pair || !done.insert({pair->line_path, pair->train_path}).second) continue;
    publish_pair(*it, *pair);
  }
}

void language_server::add_encoding_findings(const definition_pair& pair, const definition_texts& texts,
                                            std::vector<definition_finding>* findings) {
  for (const definition_file which : {definition_file::line, definition_file::train}) {
    const std::string& path = which == definition_file::line ? pair.line_path : pair.train_path;
    const std::optional<std::string>& ansi = which == definition_file::line ? texts.line : texts.train;
    const std::string* open = documents_.open_text(path);
    if (open == nullptr || !ansi) continue;
    auto disk = disk_encoding_.find(path);
    if (disk == disk_encoding_.end()) {
      const auto bytes = read_whole_file(path);
      disk = disk_encoding_
                 .emplace(path, bytes ? disk_encoding_warnings(which, *bytes, texts, pair.id) : std::vector<load_warning>())
                 .first;
    }
    // The compile says it itself when the editor's text holds the file's
    // bytes (it read them as Windows-1252).
    const bool told = std::any_of(findings->begin(), findings->end(),
                                  [&](const definition_finding& f) { return is_encoding_warning(f, which); });
    std::vector<load_warning> warnings = told ? std::vector<load_warning>() : disk->second;
    if (auto w = unencodable_character(which, *open, *ansi)) warnings.push_back(std::move(*w));
    for (const load_warning& w : warnings) findings->push_back({false, kNoFault, w.site, warning_message(w), w.kind});
  }
}

void language_server::publish_pair(const std::string& path, const definition_pair& pair) {
  const definition_texts texts = documents_.texts_of(pair);
  // Each file of the pair as the editor shows it, split into lines once
  // and read once for the ranges of all its findings; every file gets its
  // list, an empty one clearing the last.
  struct shown {
    std::string owned;  // converted from the file on disk
    std::vector<std::string_view> lines;
    std::optional<field_ends> ends;
    std::string list;  // the diagnostics as JSON text, without the closing bracket
  };
  std::map<std::string, shown> files;
  const auto add_file = [&](const std::string& file, definition_file which, const std::optional<std::string>& ansi) {
    shown& s = files[file];
    const std::string* open = documents_.open_text(file);
    if (open == nullptr && ansi) s.owned = ansi_to_utf8(*ansi);
    s.lines = text_lines(open != nullptr ? std::string_view(*open) : std::string_view(s.owned));
    if (ansi) s.ends.emplace(*ansi, which);
  };
  if (texts.line) add_file(pair.line_path, definition_file::line, texts.line);
  if (texts.train) add_file(pair.train_path, definition_file::train, texts.train);
  if (files.count(path) == 0) add_file(path, definition_file::none, std::nullopt);

  std::vector<definition_finding> findings = collect_findings(texts, pair.id);
  add_encoding_findings(pair, texts, &findings);
  for (const definition_finding& f : findings) {
    const definition_file file = file_of(f);
    std::string target = file == definition_file::line    ? pair.line_path
                         : file == definition_file::train ? pair.train_path
                                                          : std::string();
    source_site site = f.site;
    if (target.empty() || files.count(target) == 0) {
      // A finding about a file that is not there, or about none: shown at
      // the start of the file being edited.
      target = path;
      site = source_site{};
    }
    shown& s = files[target];
    append_diagnostic(&s.list, f, site, s.lines, s.ends ? &*s.ends : nullptr);
  }
  for (const auto& [file, s] : files) publish(file, s.list.empty() ? "[]" : s.list + "]");
}

void language_server::publish(const std::string& path, const std::string& diagnostics) {
  send_(R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":)" +
        json_string(documents_.uri_of(path)) + R"(,"diagnostics":)" + diagnostics + "}}");
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
