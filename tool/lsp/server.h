// The language server for the two definitions: takes the protocol's
// messages one by one and answers through `send`. Checks a definition with
// its partner whenever either is opened, changed, saved or closed, and
// publishes the faults and warnings at the ranges of their fields. Reads
// files, never writes or deletes one.
#ifndef TOOL_LSP_SERVER_H_
#define TOOL_LSP_SERVER_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/findings.h"
#include "tool/definition_findings.h"
#include "tool/lsp/documents.h"

namespace scenario::tool {

class language_server {
 public:
  using sender = std::function<void(const std::string& body)>;
  explicit language_server(sender send) : send_(std::move(send)) {}

  // One message body (JSON-RPC 2.0). A change only notes that its pair of
  // definitions is to be checked again: check_pending() does it, so that a
  // run of changes costs one check.
  void handle(const std::string& body);
  // A message the framing had to refuse, told to the client.
  void refuse_message(const std::string& problem);

  // Checks what changed since the last call and publishes the findings.
  void check_pending();
  bool has_pending() const { return !pending_.empty(); }

  // True once "exit" has arrived; the process then ends with exit_status.
  bool exited() const { return exited_; }
  int exit_status() const { return shutdown_ ? 0 : 1; }

 private:
  void request(const nlohmann::json& id, const std::string& method, const nlohmann::json& params);
  void notification(const std::string& method, const nlohmann::json& params);
  nlohmann::json answer(const std::string& method, const nlohmann::json& params);
  void check(const std::string& path);
  void publish_pair(const std::string& path, const definition_pair& pair);
  void add_encoding_findings(const definition_pair& pair, const definition_texts& texts,
                             std::vector<definition_finding>* findings);
  // Sends `diagnostics`, the JSON text of an array, for the file at `path`.
  void publish(const std::string& path, const std::string& diagnostics);
  void reply(const nlohmann::json& id, const nlohmann::json& result);
  void reply_error(const nlohmann::json& id, int code, const std::string& message);
  void write(const nlohmann::json& message);

  sender send_;
  document_store documents_;
  std::vector<std::string> pending_;  // paths changed since the last check, in order
  // What the loader says of the encoding of each open document's file on
  // disk, read once after the document was opened or saved.
  std::map<std::string, std::vector<load_warning>> disk_encoding_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

}  // namespace scenario::tool

#endif  // TOOL_LSP_SERVER_H_
