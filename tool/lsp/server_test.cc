#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/ansi_text.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/server.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;
using scenario::testing::names_in;
using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;

// A server on the built-in definitions in a folder of their own, with
// every message it sends kept.
class LspServer : public ::testing::Test {
 protected:
  LspServer() : server_([this](const std::string& body) { sent_.push_back(json::parse(body)); }) {
    dati_linea(dir_.str(), {"Brenvalo_Morvena", "4815"});
    dati_treno(dir_.str(), {"Brenvalo_Morvena", "4815"});
    train_path_ = dir_.file("Brenvalo_Morvena_4815-.txt");
    line_path_ = dir_.file("Brenvalo_Morvena_linea.txt");
    train_ = ansi_to_utf8(read_file(train_path_));
  }

  json call(const std::string& method, const json& params) {
    sent_.clear();
    server_.handle(json{{"jsonrpc", "2.0"}, {"id", 7}, {"method", method}, {"params", params}}.dump());
    EXPECT_EQ(sent_.size(), 1u);
    return sent_.empty() ? json() : sent_.back();
  }
  void notify(const std::string& method, const json& params) {
    sent_.clear();
    server_.handle(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
    server_.check_pending();
  }
  // The diagnostics last published for `path`.
  json diagnostics_of(const std::string& path) {
    json found;
    for (const json& m : sent_) {
      if (m.value("method", "") == "textDocument/publishDiagnostics" && m.at("params").at("uri") == path_to_uri(path)) {
        found = m.at("params").at("diagnostics");
      }
    }
    return found;
  }
  json hover(uint32_t line, uint32_t character) {
    return call("textDocument/hover", {{"textDocument", {{"uri", path_to_uri(train_path_)}}},
                                       {"position", {{"line", line}, {"character", character}}}})["result"];
  }
  void open_train(const std::string& text) {
    call("initialize", json::object());
    notify("textDocument/didOpen", {{"textDocument",
                                     {{"uri", path_to_uri(train_path_)}, {"languageId", "scenario"}, {"version", 1},
                                      {"text", text}}}});
  }

  temp_dir dir_;
  std::vector<json> sent_;
  language_server server_;
  std::string train_path_, line_path_, train_;
};

TEST_F(LspServer, UnsavedMistakeIsPublishedAtItsFieldAndGoneOnceFixed) {
  const std::set<std::string> files = names_in(dir_);
  // Station length 350 on line 37, after a key with a character that
  // takes two UTF-16 units in the editor and one byte in the definition.
  std::string text = train_;
  const std::string before = "stazione,    3550, 28,  200,";
  const size_t at = text.find(before);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, before.size(), "stazione\xF0\x9F\x9A\x86,    3550, 28,  350,");
  open_train(text);

  // The character the definitions' code page lacks is told as well.
  const json train = diagnostics_of(train_path_);
  ASSERT_EQ(train.size(), 2u) << train.dump();
  EXPECT_EQ(train.at(1).at("message"),
            "avviso: il file non e' in Windows-1252 (ANSI): il carattere \"\xF0\x9F\x9A\x86\" (U+1F686) non c'e' in "
            "quella codifica: il simulatore leggerebbe \"?\" al suo posto");
  EXPECT_EQ(train.at(1).at("severity"), 2);
  EXPECT_EQ(train.at(0).at("code"), 9);
  EXPECT_EQ(train.at(0).at("severity"), 1);
  EXPECT_EQ(train.at(0).at("message"),
            "errore 9: lunghezza della stazione non multipla di 100 m: 350 m (stazione a 3550 m)");
  const int line = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
  EXPECT_EQ(train.at(0).at("range"), json::parse(R"({"start":{"line":)" + std::to_string(line) +
                                           R"(,"character":26},"end":{"line":)" + std::to_string(line) +
                                           R"(,"character":29}})"));
  EXPECT_EQ(train.at(1).at("range"), json::parse(R"({"start":{"line":)" + std::to_string(line) +
                                           R"(,"character":8},"end":{"line":)" + std::to_string(line) +
                                           R"(,"character":10}})"));
  EXPECT_EQ(diagnostics_of(line_path_), json::array());  // the partner is clean

  // Hover on the position of the signal at 5950 m.
  const size_t signal = text.find("segnale,    5950");
  const uint32_t signal_line = static_cast<uint32_t>(std::count(text.begin(), text.begin() + static_cast<long>(signal), '\n'));
  const json h = hover(signal_line, 13);
  EXPECT_EQ(h.at("contents").at("value"),
            "**segnale**: segnale (definizione del treno)\n\ncampo 1 di 11, `posizione`: posizione del segnale; "
            "preavvisi 100, 200, 300 e 400 m prima\n\nvalore: 5950 m, km 5,950, cella 120");

  notify("textDocument/didChange", {{"textDocument", {{"uri", path_to_uri(train_path_)}, {"version", 2}}},
                                    {"contentChanges", {{{"text", train_}}}}});
  EXPECT_EQ(diagnostics_of(train_path_), json::array());
  EXPECT_EQ(names_in(dir_), files);  // nothing written, nothing deleted
  EXPECT_EQ(ansi_to_utf8(read_file(train_path_)), train_);
}

TEST_F(LspServer, TheLineDefinitionsUnsavedTextCountsForTheTrain) {
  open_train(train_);
  EXPECT_EQ(diagnostics_of(train_path_), json::array());
  // A shorter route in the open line definition puts the last stations
  // beyond it: the fault lands in the train definition on disk.
  std::string line = ansi_to_utf8(read_file(line_path_));
  line.replace(line.find("40000"), 5, "20000");
  notify("textDocument/didOpen", {{"textDocument", {{"uri", path_to_uri(line_path_)}, {"version", 1}, {"text", line}}}});
  // Each record past the shorter route is its own fault, as check lists them.
  const json train = diagnostics_of(train_path_);
  ASSERT_FALSE(train.empty());
  for (const json& d : train) {
    if (d.contains("code")) {
      EXPECT_EQ(d.at("code"), 15) << d.dump();
    }
  }
}

// The editor and check never disagree: the same fault number at the same
// line and column, for mistakes of every sort.
TEST_F(LspServer, PublishesWhatCheckReports) {
  struct row {
    const char* from;
    const char* to;
    int fault;
  } const rows[] = {
      {"14750, 12,  300,", "14750, 12,  350,", 9},                  // station length
      {"segnale,    7000,", "segnale,    5960,", 16},               // a signal on a taken cell
      {"velocita,       0,    80", "velocita,       0,    8O", 25},   // not a number
      {"rallentamento,   20900,", "rallentamento,   99900,", 15},     // beyond the route
  };
  const std::string original = read_file(train_path_);
  for (const row& r : rows) {
    std::string text = original;
    ASSERT_NE(text.find(r.from), std::string::npos) << r.from;
    text.replace(text.find(r.from), std::string(r.from).size(), r.to);
    write_file(train_path_, text);
    const auto run = testing::run_command(run_check, {dir_.str(), "--route", "Brenvalo_Morvena", "--train", "4815"});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex(R"(:(\d+):(\d+): errore (\d+))"))) << run.out;
    EXPECT_EQ(std::stoi(m[3].str()), r.fault) << r.to;

    open_train(ansi_to_utf8(text));
    const json published = diagnostics_of(train_path_);
    ASSERT_EQ(published.size(), 1u) << r.to;
    EXPECT_EQ(published.at(0).at("code"), std::stoi(m[3].str())) << r.to;
    EXPECT_EQ(published.at(0).at("range").at("start").at("line").get<int>() + 1, std::stoi(m[1].str())) << r.to;
    EXPECT_EQ(published.at(0).at("range").at("start").at("character").get<int>() + 1, std::stoi(m[2].str())) << r.to;
  }
}

TEST_F(LspServer, AnswersTheProtocolsRequestsAndErrors) {
  EXPECT_EQ(call("textDocument/hover", json::object())["error"]["code"], -32002);  // before initialize
  const json init = call("initialize", json::object())["result"]["capabilities"];
  EXPECT_EQ(init.at("textDocumentSync").at("change"), 1);
  EXPECT_EQ(call("workspace/symbol", json::object())["error"]["code"], -32601);
  EXPECT_EQ(call("textDocument/hover", json::object())["error"]["code"], -32602);
  sent_.clear();
  server_.handle("{not json");
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0]["error"]["code"], -32700);

  open_train(train_);
  const json symbols = call("textDocument/documentSymbol", {{"textDocument", {{"uri", path_to_uri(train_path_)}}}});
  std::set<std::string> names;
  for (const json& section : symbols.at("result")) {
    for (const json& child : section.value("children", json::array())) names.insert(child.at("name"));
  }
  EXPECT_TRUE(names.count("PRACCHIA") && names.count("segnale 5950 m") && names.count("rallentamento 4850 m"));
  const json items = call("textDocument/completion", {{"textDocument", {{"uri", path_to_uri(train_path_)}}},
                                                       {"position", {{"line", 0}, {"character", 0}}}})["result"];
  bool skeleton = false;
  for (const json& item : items) {
    if (item.at("label") == "rallentamento") {
      skeleton = item.at("textEdit").at("newText") == "rallentamento,  ${1:x},  ${2:v},  ${3:l},  ${4:f_tt},  ${5:f_ta},  ${6:d_v}";
    }
  }
  EXPECT_TRUE(skeleton);
  const auto line_of = [&](const std::string& text) {
    return static_cast<uint32_t>(std::count(train_.begin(), train_.begin() + static_cast<long>(train_.find(text)), '\n'));
  };
  EXPECT_EQ(hover(line_of("[segnali]"), 2)["contents"]["value"],
            "**[segnali]**: sezione della definizione del treno; vi stanno di solito: segnale\n\n"
            "il lettore ignora l'intestazione");
  // The minutes of the clock: the time is decoded from its three fields.
  EXPECT_EQ(hover(line_of("orologio"), 30)["contents"]["value"],
            "**orologio**: orologio alla partenza (definizione del treno)\n\ncampo 2 di 3, `minuti`: minuti "
            "dell'orologio alla partenza\n\nvalore: ore 09:20:30");

  EXPECT_EQ(call("shutdown", nullptr)["result"], nullptr);
  notify("exit", nullptr);
  EXPECT_TRUE(server_.exited());
  EXPECT_EQ(server_.exit_status(), 0);
}

// What check says of the encoding of a file on disk the editor says too,
// whether the editor read it as UTF-8 (it shows it right and would save it
// so again) or as Windows-1252 (it shows what the simulator reads).
TEST_F(LspServer, WarnsAboutTheEncodingAsCheckDoes) {
  const std::string original = read_file(train_path_);
  std::string utf8 = original;
  utf8.replace(utf8.find("PRACCHIA"), 8, "PRACCHI\xC3\x80");
  const std::string bom = "\xEF\xBB\xBF" + original;
  struct row {
    const char* what;
    std::string disk;
    std::string editor;
  } const rows[] = {
      {"UTF-8, read as UTF-8", utf8, utf8},
      {"UTF-8, read as Windows-1252", utf8, ansi_to_utf8(utf8)},
      {"a byte order mark, not shown", bom, ansi_to_utf8(original)},
      {"a byte order mark, shown", bom, ansi_to_utf8(bom)},
  };
  for (const row& r : rows) {
    write_file(train_path_, r.disk);
    const auto run = testing::run_command(run_check, {dir_.str(), "--route", "Brenvalo_Morvena", "--train", "4815"});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex(R"(:(\d+):(\d+): avviso: ([^\n]*))"))) << run.out;
    open_train(r.editor);
    const json published = diagnostics_of(train_path_);
    ASSERT_EQ(published.size(), 1u) << r.what << ": " << published.dump();
    EXPECT_EQ(published.at(0).at("message"), "avviso: " + m[3].str()) << r.what;
    EXPECT_EQ(published.at(0).at("range").at("start").at("line").get<int>() + 1, std::stoi(m[1].str())) << r.what;
    EXPECT_EQ(published.at(0).at("range").at("start").at("character").get<int>() + 1, std::stoi(m[2].str())) << r.what;
  }
  // Saved again in Windows-1252, the file is clean.
  open_train(utf8);
  write_file(train_path_, utf8_to_ansi(utf8));
  notify("textDocument/didSave", {{"textDocument", {{"uri", path_to_uri(train_path_)}}}});
  EXPECT_EQ(diagnostics_of(train_path_), json::array());

  // Characters the code page lacks, typed in the editor: the first is
  // shown, the others counted.
  std::string typed = utf8;
  typed.insert(typed.find("[fine]"), "- a \xE2\x86\x92 b \xE2\x86\x92 c \xE2\x86\x92\n");
  notify("textDocument/didChange", {{"textDocument", {{"uri", path_to_uri(train_path_)}, {"version", 2}}},
                                    {"contentChanges", {{{"text", typed}}}}});
  const json published = diagnostics_of(train_path_);
  ASSERT_EQ(published.size(), 1u) << published.dump();
  EXPECT_EQ(published.at(0).at("message"),
            "avviso: il file non e' in Windows-1252 (ANSI): il carattere \"\xE2\x86\x92\" (U+2192) non c'e' in quella "
            "codifica: il simulatore leggerebbe \"?\" al suo posto; come lui altri 2 caratteri del file");
  EXPECT_EQ(published.at(0).at("range").at("start").at("character"), 4);
}

// An empty line definition lacks its general section: the fault stands
// on the line definition, not on the train being edited.
TEST_F(LspServer, AnEmptyLineDefinitionIsToldOnItsOwnDocument) {
  write_file(line_path_, "");
  open_train(train_);
  const json line = diagnostics_of(line_path_);
  ASSERT_EQ(line.size(), 1u) << line.dump();
  EXPECT_EQ(line.at(0).at("code"), 102);
  EXPECT_EQ(line.at(0).at("range").at("start"), json::parse(R"({"line":0,"character":0})"));
  EXPECT_EQ(diagnostics_of(train_path_), json::array());
}

}  // namespace
}  // namespace scenario::tool
