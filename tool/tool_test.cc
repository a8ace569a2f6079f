#include <gtest/gtest.h>

#include <sstream>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/ansi_text.h"
#include "model/test_files.h"
#include "run/form_load.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

#include <nlohmann/json.hpp>

namespace scenario::tool {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using testing::run_command;
using testing::tool_run;
using scenario::testing::write_file;

tool_run compile(const std::vector<std::string>& args) { return run_command(run_compile, args); }

// The program's platform, pointed at a test directory.
class fake_platform : public platform {
 public:
  explicit fake_platform(std::string dir) : dir_(std::move(dir)) {}
  void show_wait_window() override {}
  void show_report(const std::string& message) override { reports.push_back(message); }
  std::string application_directory() override { return dir_; }
  void close_window() override {}
  std::vector<std::string> reports;

 private:
  std::string dir_;
};

constexpr char kRoute[] = "Brenvalo_Morvena";
constexpr char kTrain[] = "4815";

void write_built_in(const temp_dir& dir) {
  dati_linea(dir.str(), {kRoute, kTrain});
  dati_treno(dir.str(), {kRoute, kTrain});
}

// The built-in definitions with one warning and no fault: the first
// gradient's key misspelt, so that record is ignored.
void write_built_in_with_a_warning(const temp_dir& dir) {
  write_built_in(dir);
  std::string line = read_file(dir.file("Brenvalo_Morvena_linea.txt"));
  line.replace(line.find("pendenza,"), 9, "pendneza,");
  write_file(dir.file("Brenvalo_Morvena_linea.txt"), line);
}

TEST(ToolCompile, BuiltInDefinitionsGiveTheProgramsBytesAndStayUntouched) {
  temp_dir dir;
  write_built_in(dir);
  const std::string line_before = read_file(dir.file("Brenvalo_Morvena_linea.txt"));
  const std::string train_before = read_file(dir.file("Brenvalo_Morvena_4815-.txt"));
  const tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.txt")), line_before);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_4815-.txt")), train_before);
  // The same bytes as the program's own run.
  temp_dir program_dir;
  fake_platform p(program_dir.str());
  ASSERT_EQ(Form_Load(p), 0);
  for (const char* name : {"Brenvalo_Morvena_linea.dat", "Brenvalo_Morvena_4815.sim", "Brenvalo_Morvena_4815.dat"}) {
    EXPECT_EQ(read_file(dir.file(name)), read_file(program_dir.file(name))) << name;
  }
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.dat")).size(), 939964u);
}

TEST(ToolCompile, FaultNamesFileLineAndField) {
  temp_dir dir;
  write_built_in(dir);
  std::string train = read_file(dir.file("Brenvalo_Morvena_4815-.txt"));
  // A second signal in the cell of the one at 5950 m, as line 50.
  const std::string first = "segnale,    5950,";
  train.insert(train.find(first), "segnale,    5960,   1, 3, 1,  0, 0,    0,  0,0,0, 0\r\n");
  write_file(dir.file("Brenvalo_Morvena_4815-.txt"), train);
  const tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, dir.file("Brenvalo_Morvena_4815-.txt") +
                         ":51:13: errore 16: segnale su una cella gia' occupata (con il record di riga 50 di " +
                         dir.file("Brenvalo_Morvena_4815-.txt") + ") (5950 m)\n"
                         "segnale,    5950,   1, 3, 1,  0, 0,    0,  0,0,0, 0\n"
                         "            ^\n");
  // The author's last build is kept; the program's behaviour on request.
  // The route plan, begun once the line definition was read, is dropped.
  EXPECT_FALSE(dir.has("Brenvalo_Morvena_4815.dat"));
  EXPECT_FALSE(dir.has("Brenvalo_Morvena_linea.dat"));
  EXPECT_FALSE(dir.has("Brenvalo_Morvena_linea.dat.part"));
  EXPECT_EQ(compile({dir.str(), "--route", kRoute, "--train", kTrain, "--write-on-fault"}).status, 1);
  EXPECT_TRUE(dir.has("Brenvalo_Morvena_4815.dat"));  // written from what the tables hold
}

TEST(ToolCompile, JsonReport) {
  temp_dir dir;
  write_built_in(dir);
  tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain, "--no-plan", "--json"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(nlohmann::json::parse(run.out),
            nlohmann::json::parse(R"({"error_code": 0, "error_position": null, "file": null, "line": null,
                                      "column": null, "message": "", "warnings": [], "files": [")" +
                                  dir.file("Brenvalo_Morvena_4815.sim") + "\", \"" +
                                  dir.file("Brenvalo_Morvena_4815.dat") + "\"]}"));
  EXPECT_FALSE(dir.has("Brenvalo_Morvena_linea.dat"));

  write_file(dir.file("Brenvalo_Morvena_linea.txt"), "[generale]\r\nlunghezza percorso, 5000\r\n[x]\r\npendenza, 1x, 2\r\n");
  run = compile({dir.str(), "--route", kRoute, "--train", kTrain, "--json"});
  EXPECT_EQ(run.status, 1);
  const nlohmann::json fault = nlohmann::json::parse(run.out);
  EXPECT_EQ(fault.at("error_code"), 25);
  EXPECT_EQ(fault.at("error_position"), nullptr);
  EXPECT_EQ(fault.at("file"), dir.file("Brenvalo_Morvena_linea.txt"));
  EXPECT_EQ(fault.at("line"), 4);
  EXPECT_EQ(fault.at("column"), 11);
  EXPECT_EQ(fault.at("message"), "lettura non riuscita: \"1x\" non e' un numero intero");
  EXPECT_EQ(fault.at("files"), nlohmann::json::array());
}

TEST(ToolCompile, MissingInputsAreUsageErrors) {
  temp_dir dir;
  EXPECT_EQ(compile({dir.file("nowhere"), "--route", kRoute, "--train", kTrain}).status, 2);
  const tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Brenvalo_Morvena_linea.txt non esiste"), std::string::npos);
  EXPECT_EQ(compile({dir.str(), "--route", kRoute}).status, 2);
  EXPECT_EQ(compile({dir.str(), "--bogus"}).status, 2);
}

// compile says what check would warn about, after its result, on standard
// error; the exit status is unchanged unless --strict.
TEST(ToolCompile, WarningsOnStandardErrorAndStrict) {
  temp_dir dir;
  write_built_in_with_a_warning(dir);
  tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("avviso: campo che non corrisponde a nessuna chiave, ignorato (\"pendneza\"): forse: pendenza"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(dir.has("Brenvalo_Morvena_4815.dat"));
  run = compile({dir.str(), "--route", kRoute, "--train", kTrain, "--strict"});
  EXPECT_EQ(run.status, 1);
}

// A warning on the line of the fault that stops the compile is given too.
TEST(ToolCompile, WarningOnTheFaultsLine) {
  temp_dir dir;
  write_built_in(dir);
  write_file(dir.file("Brenvalo_Morvena_4815-.txt"), read_file(dir.file("Brenvalo_Morvena_4815-.txt")) + "sabbia, 1x\r\n");
  const tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain});
  EXPECT_EQ(run.status, 1);
  const std::string at = dir.file("Brenvalo_Morvena_4815-.txt") + ":66:";
  EXPECT_EQ(run.err, at + "9: errore 25: lettura non riuscita: \"1x\" non e' un numero intero\nsabbia, 1x\n        ^\n" +
                         at + "1: avviso: record dopo la sezione finale [fine], letto comunque (\"sabbia\")\nsabbia, 1x\n^\n");
}

// Under --strict a warning is a fault, and a fault keeps the last good
// build: the files of the clean compile stay, byte for byte.
TEST(ToolCompile, StrictWarningKeepsTheLastGoodBuild) {
  temp_dir dir;
  write_built_in_with_a_warning(dir);
  // The last build, marked so that any replacement shows.
  const char* outputs[] = {"Brenvalo_Morvena_linea.dat", "Brenvalo_Morvena_4815.sim", "Brenvalo_Morvena_4815.dat"};
  for (const char* name : outputs) write_file(dir.file(name), std::string("ultima buona ") + name);

  for (const char* json : {"", "--json"}) {
    std::vector<std::string> words = {dir.str(), "--route", kRoute, "--train", kTrain, "--strict"};
    if (*json) words.push_back(json);
    const tool_run run = compile(words);
    EXPECT_EQ(run.status, 1) << json;
    if (!*json) {
      EXPECT_TRUE(run.err.ends_with("come errori: nessun file scritto, restano quelli di prima\n")) << run.err;
    }
    for (const char* name : outputs) EXPECT_EQ(read_file(dir.file(name)), std::string("ultima buona ") + name);
  }
  // The same warnings without --strict replace the build.
  EXPECT_EQ(compile({dir.str(), "--route", kRoute, "--train", kTrain}).status, 0);
  for (const char* name : outputs) EXPECT_NE(read_file(dir.file(name)).substr(0, 12), "ultima buona") << name;
}

// A very long line is shown around the field, not whole.
TEST(ToolCompile, LongLineIsCutAroundTheField) {
  temp_dir dir;
  write_built_in(dir);
  std::string line = read_file(dir.file("Brenvalo_Morvena_linea.txt"));
  const std::string record = "pendenza, 100, " + std::string(400000, ' ') + "1x\r\n";
  line.insert(line.find("pendenza,"), record);
  write_file(dir.file("Brenvalo_Morvena_linea.txt"), line);
  const tool_run run = compile({dir.str(), "--route", kRoute, "--train", kTrain});
  EXPECT_EQ(run.status, 1);
  EXPECT_LT(run.err.size(), 600u) << run.err.substr(0, 600);
  const size_t shown = run.err.find('\n') + 1;
  const std::string excerpt = run.err.substr(shown, run.err.find('\n', shown) - shown);
  const std::string caret = run.err.substr(run.err.find('\n', shown) + 1);
  EXPECT_EQ(excerpt.substr(0, 3), "...");
  EXPECT_EQ(excerpt.find("1x"), caret.find('^')) << excerpt << "\n" << caret;
}

TEST(ToolExample, WritesTheBuiltInDefinitionsThatCompileClean) {
  temp_dir dir;
  EXPECT_EQ(run_command(run_example, {dir.str()}).status, 0);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.txt")).size(), 6702u);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_4815-.txt")).size(), 2736u);
  EXPECT_EQ(compile({dir.str(), "--route", kRoute, "--train", kTrain}).status, 0);
  EXPECT_EQ(run_command(run_example, {}).status, 2);
}

TEST(ToolExample, CreatesTheFolderAndNeverOverwritesAnAuthorsCopy) {
  temp_dir dir;
  const std::string mine = dir.file("nuova/cartella");
  tool_run run = run_command(run_example, {mine, "--route", "Valdorsa", "--train", "2231"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, mine + "/Valdorsa_linea.txt\n" + mine + "/Valdorsa_2231-.txt\n");
  EXPECT_EQ(compile({mine, "--route", "Valdorsa", "--train", "2231"}).status, 0);

  write_file(mine + "/Valdorsa_2231-.txt", "le mie modifiche");
  run = run_command(run_example, {mine, "--route", "Valdorsa", "--train", "2231"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Valdorsa_linea.txt esiste gia'"), std::string::npos) << run.err;
  EXPECT_EQ(read_file(mine + "/Valdorsa_2231-.txt"), "le mie modifiche");

  EXPECT_EQ(run_command(run_example, {mine, "--route=Valdorsa", "--train=2231", "--force"}).status, 0);
  EXPECT_EQ(read_file(mine + "/Valdorsa_2231-.txt").size(), 2736u);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {mine, "--route", "Valdorsa"}, {mine, "--route", "V", "--train", "linea"}}) {
    EXPECT_EQ(run_command(run_example, bad).status, 2) << bad.back();
  }
}

// The program writes and deletes its own definitions in its folder, so an
// author's copy there would be lost: example refuses that folder, --force
// or not, and writes nothing.
TEST(ToolExample, RefusesTheProgramsFolder) {
  for (const char* program : {"Brenvalo_Morvena_4815", "Brenvalo_Morvena_4815.exe"}) {
    SCOPED_TRACE(program);
    temp_dir dir;
    write_file(dir.file(program), "programma");
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{dir.str()}, {dir.str(), "--force"}}) {
      const tool_run run = run_command(run_example, words);
      EXPECT_EQ(run.status, 2);
      EXPECT_NE(run.err.find("contiene il programma " + std::string(program)), std::string::npos) << run.err;
      EXPECT_NE(run.err.find("cartella a parte"), std::string::npos) << run.err;
    }
    EXPECT_EQ(names_in(dir), std::set<std::string>{program});
  }
}

TEST(AnsiText, BecomesUtf8) {
  EXPECT_EQ(ansi_to_utf8("umidit\xE0 \x80 \x81"), "umidit\xC3\xA0 \xE2\x82\xAC \xEF\xBF\xBD");
}

}  // namespace
}  // namespace scenario::tool
