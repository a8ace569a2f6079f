// Writes the built-in definitions as seeds: each definition alone for the
// field reader, and the pair in the compile target's layout (flags byte,
// line definition, NUL, train definition), once in each mode. For the
// decoders, the built-in scenario's route cells and item table as compiled
// (its route plan, near a megabyte, would only slow every run down; the
// committed corpus holds small ones), each as text and as JSON. For the
// language server, an editor's session on the pair.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"
#include "model/binary_files.h"
#include "model/compile.h"
#include "model/ansi_text.h"
#include "model/model.h"

#include <nlohmann/json.hpp>

namespace {

bool put(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

// A message as an editor frames it.
std::string framed(const nlohmann::json& message) {
  const std::string body = message.dump();
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// An editor's session on the built-in pair, in a folder that does not
// exist (so nothing on disk counts): open both, hover, complete, outline,
// a change, a save, close, shut down.
std::string editor_session(const std::string& line, const std::string& train) {
  using nlohmann::json;
  const std::string folder = "file:///fuzz-nowhere/";
  const std::string line_uri = folder + "Brenvalo_Morvena_linea.txt";
  const std::string train_uri = folder + "Brenvalo_Morvena_4815-.txt";
  const auto at = [&](const std::string& uri, int l, int c) {
    return json{{"textDocument", {{"uri", uri}}}, {"position", {{"line", l}, {"character", c}}}};
  };
  const auto open = [](const std::string& uri, const std::string& ansi) {
    return json{{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                {"params", {{"textDocument", {{"uri", uri}, {"languageId", "scenario"}, {"version", 1},
                                              {"text", scenario::ansi_to_utf8(ansi)}}}}}};
  };
  std::string changed = scenario::ansi_to_utf8(train);
  changed.replace(changed.find("300,"), 4, "350,");
  std::string session =
      framed({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}}) +
      framed({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}}) + framed(open(line_uri, line)) +
      framed(open(train_uri, train)) +
      framed({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "textDocument/hover"}, {"params", at(train_uri, 40, 12)}}) +
      framed({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "textDocument/completion"}, {"params", at(line_uri, 20, 0)}}) +
      framed({{"jsonrpc", "2.0"},
              {"id", "simboli"},
              {"method", "textDocument/documentSymbol"},
              {"params", {{"textDocument", {{"uri", line_uri}}}}}}) +
      framed({{"jsonrpc", "2.0"},
              {"method", "textDocument/didChange"},
              {"params",
               {{"textDocument", {{"uri", train_uri}, {"version", 2}}}, {"contentChanges", {{{"text", changed}}}}}}}) +
      framed({{"jsonrpc", "2.0"}, {"method", "textDocument/didSave"}, {"params", {{"textDocument", {{"uri", train_uri}}}}}}) +
      framed({{"jsonrpc", "2.0"}, {"method", "textDocument/didClose"}, {"params", {{"textDocument", {{"uri", line_uri}}}}}}) +
      framed({{"jsonrpc", "2.0"}, {"id", 4}, {"method", "shutdown"}}) + framed({{"jsonrpc", "2.0"}, {"method", "exit"}});
  return session;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <seed directory>\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "field_reader");
  std::filesystem::create_directories(root / "compile");
  std::filesystem::create_directories(root / "binary_decode");
  std::filesystem::create_directories(root / "lsp_message");
  const std::string line = scenario::line_document_bytes(scenario::line_definition_lines());
  const std::string train = scenario::line_document_bytes(scenario::train_definition_lines());
  // Field reader: one selector byte; 0x00 reads text only, 0xE4 cycles
  // text, long, integer, byte.
  bool ok = put(root / "field_reader" / "built_in_line", std::string("\x00\x00", 2) + line) &&
            put(root / "field_reader" / "built_in_train", std::string("\x00\xE4", 2) + train) &&
            put(root / "compile" / "built_in_line_mode", std::string("\x01", 1) + line + '\0' + train) &&
            put(root / "compile" / "built_in", std::string("\x00", 1) + line + '\0' + train) &&
            put(root / "lsp_message" / "editor_session", std::string("\x00", 1) + editor_session(line, train)) &&
            put(root / "lsp_message" / "editor_session_pausing_every_100_bytes",
                std::string("\xE4", 1) + editor_session(line, train));
  scenario::scenario_model model;
  model.identity = {"Brenvalo_Morvena", "4815"};
  const scenario::compile_outcome outcome = scenario::compile_scenario(model, 0, {line, train}, nullptr);
  if (scenario::reported_fault(outcome)) {
    std::cerr << "the built-in scenario does not compile\n";
    return 1;
  }
  // Byte 0 of the decoders' layout: bits 0-1 the file, bits 2-3 the form.
  const std::string cells = scenario::route_cells_bytes(model);
  const std::string items = scenario::item_table_bytes(model);
  ok = ok && put(root / "binary_decode" / "built_in_cells", std::string("\x00", 1) + cells) &&
       put(root / "binary_decode" / "built_in_cells_json", std::string("\x04", 1) + cells) &&
       put(root / "binary_decode" / "built_in_items", std::string("\x01", 1) + items) &&
       put(root / "binary_decode" / "built_in_items_json", std::string("\x05", 1) + items);
  if (!ok) {
    std::cerr << "cannot write the seeds into " << root << "\n";
    return 1;
  }
  return 0;
}
