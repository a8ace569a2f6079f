#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::names_in;
using scenario::testing::read_file;
using scenario::testing::temp_dir;
using testing::run_command;
using testing::tool_run;
using scenario::testing::write_file;

tool_run check(const std::vector<std::string>& args) { return run_command(run_check, args); }

// Writes the line and train definitions R_linea.txt and R_1-.txt into
// `dir` and checks them.
tool_run check_pair(const temp_dir& dir, const std::string& line, const std::string& train) {
  write_file(dir.file("R_linea.txt"), line);
  write_file(dir.file("R_1-.txt"), train);
  return check({dir.str(), "--route", "R", "--train", "1"});
}

TEST(ToolCheck, BuiltInDefinitionsAreCleanAndNothingIsWritten) {
  temp_dir dir;
  dati_linea(dir.str(), {"Brenvalo_Morvena", "4815"});
  dati_treno(dir.str(), {"Brenvalo_Morvena", "4815"});
  const std::string line = read_file(dir.file("Brenvalo_Morvena_linea.txt"));
  const std::string train = read_file(dir.file("Brenvalo_Morvena_4815-.txt"));
  const std::set<std::string> before = names_in(dir);

  const tool_run run = check({dir.str(), "--route", "Brenvalo_Morvena", "--train", "4815"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "0 errori, 0 avvisi\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(names_in(dir), before);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.txt")), line);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_4815-.txt")), train);
}

// A short line and train that check finds clean; each case changes one
// line of one of them.
constexpr char kLine[] =
    "[generale]\r\n"                // 1
    "lunghezza percorso, 5000\r\n"  // 2
    "[pendenze]\r\n"                // 3
    "pendenza, 0, 0\r\n"            // 4
    "pendenza, 1000, 12\r\n"        // 5
    "[curve]\r\n"                   // 6
    "curvas5, 200, 300\r\n"         // 7
    "[fine]\r\n";                   // 8
constexpr char kTrain[] =
    "[generale]\r\n"                                                      // 1
    "velocita, 0, 80\r\n"                                                 // 2
    "[stazioni]\r\n"                                                      // 3
    "stazione, 0, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 1, 9,0,0, ALFA\r\n"     // 4
    "stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 1, 9,10,0, BETA\r\n"  // 5
    "[fine]\r\n";                                                         // 6

struct check_case {
  const char* name;
  bool in_train;     // which definition the change is made in
  const char* from;  // text replaced, once
  const char* to;
  int status;
  const char* report;
};

const check_case kCases[] = {
    {"clean", false, "", "", 0, "0 errori, 0 avvisi\n"},
    {"unknown_field", false, "pendenza, 1000, 12", "pendenza, 1000, 12, 4", 0,
     "R_linea.txt:5:21: avviso: campo che non corrisponde a nessuna chiave, ignorato (\"4\")\n"
     "pendenza, 1000, 12, 4\n"
     "                    ^\n"
     "0 errori, 1 avviso\n"},
    {"ambiguous_key", true, "velocita, 0, 80", "vetture sabbia, 3, 300\r\nvelocita, 0, 80", 0,
     "R_1-.txt:2:1: avviso: chiave che corrisponde a piu' tipi di record: ognuno legge i suoi campi "
     "(\"vetture sabbia\")\n"
     "vetture sabbia, 3, 300\n"
     "^\n"
     "0 errori, 1 avviso\n"},
    {"not_ascending", false, "pendenza, 1000, 12", "pendenza, 0, 12", 0,
     "R_linea.txt:5:11: avviso: record non in ordine crescente di posizione (\"pendenza\")\n"
     "pendenza, 0, 12\n"
     "          ^\n"
     "0 errori, 1 avviso\n"},
    // One warning for the line, not a second one for what follows the comma.
    {"comment_with_comma", false, "[pendenze]", "[pendenze]\r\n- altitudine, 352 m", 0,
     "R_linea.txt:4:1: avviso: commento con una virgola: cio' che la segue e' letto come chiave (\"- altitudine\")\n"
     "- altitudine, 352 m\n"
     "^\n"
     "0 errori, 1 avviso\n"},
    {"curve_overlap", false, "curvas5, 200, 300", "curvas5, 200, 300\r\ncurvad4, 400, 100", 0,
     "R_linea.txt:8:10: avviso: curva che inizia prima della fine della precedente (\"curva\")\n"
     "curvad4, 400, 100\n"
     "         ^\n"
     "0 errori, 1 avviso\n"},
    {"times_backwards", true, "9,10,0, BETA", "8,10,0, BETA", 0,
     "R_1-.txt:5:52: avviso: orario della stazione fuori ordine rispetto alle stazioni vicine (\"BETA\"): 8:10:00, "
     "prima delle 9:00:00 di ALFA, la stazione precedente\n"
     "stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 1, 8,10,0, BETA\n"
     "                                                   ^\n"
     "0 errori, 1 avviso\n"},
    {"after_end", true, "[fine]", "[fine]\r\nsabbia, 300", 0,
     "R_1-.txt:7:1: avviso: record dopo la sezione finale [fine], letto comunque (\"sabbia\")\n"
     "sabbia, 300\n"
     "^\n"
     "0 errori, 1 avviso\n"},
    // "[fine]" closing the general section ends the file just the same.
    {"after_end_of_general_section", false, "[pendenze]", "[fine]", 0,
     "R_linea.txt:4:1: avviso: record dopo la sezione finale [fine], letto comunque (\"pendenza\")\n"
     "pendenza, 0, 0\n"
     "^\n"
     "R_linea.txt:5:1: avviso: record dopo la sezione finale [fine], letto comunque (\"pendenza\")\n"
     "pendenza, 1000, 12\n"
     "^\n"
     "R_linea.txt:7:1: avviso: record dopo la sezione finale [fine], letto comunque (\"curvas5\")\n"
     "curvas5, 200, 300\n"
     "^\n"
     "0 errori, 3 avvisi\n"},
    // The warning comes before the read that the mix-up makes fail; the
    // fault is the record's own, as it ran short of fields.
    {"fault_after_warning", false, "pendenza, 1000, 12", "pendenza curva, 1000, 12", 1,
     "R_linea.txt:5:1: avviso: chiave che corrisponde a piu' tipi di record: ognuno legge i suoi campi "
     "(\"pendenza curva\")\n"
     "pendenza curva, 1000, 12\n"
     "^\n"
     "R_linea.txt:5:1: errore 25: lettura non riuscita: il record ha meno campi del previsto: il campo 3 e' "
     "stato letto dalla riga 6: \"[curve]\" non e' un numero intero\n"
     "pendenza curva, 1000, 12\n"
     "^\n"
     "1 errore, 1 avviso\n"},
    {"fault_with_position", true, "stazione, 3000, 12, 400", "stazione, 3000, 12, 450", 1,
     "R_1-.txt:5:21: errore 9: lunghezza della stazione non multipla di 100 m: 450 m (stazione a 3000 m)\n"
     "stazione, 3000, 12, 450, 0, 0, 0, 1,1,0, 4,1,1, 1, 9,10,0, BETA\n"
     "                    ^\n"
     "1 errore, 0 avvisi\n"},
    // A board at 0 m lies in cell 1, whose first field is reserved.
    {"reserved_field", false, "[fine]", "cartello_indicatore, 0, (X)\r\n[fine]", 1,
     "R_linea.txt:8:1: errore 1250: campo riservato del marchio di formato gia' occupato: un oggetto nei primi 75 m scrive "
     "nella cella 1\n"
     "cartello_indicatore, 0, (X)\n"
     "^\n"
     "1 errore, 0 avvisi\n"},
};

class CheckCase : public ::testing::TestWithParam<check_case> {};

TEST_P(CheckCase, ReportsEveryFindingWithFileLineAndCaret) {
  const check_case& c = GetParam();
  std::string line = kLine, train = kTrain;
  std::string& changed = c.in_train ? train : line;
  const size_t at = changed.find(c.from);
  ASSERT_NE(at, std::string::npos);
  changed.replace(at, std::string(c.from).size(), c.to);

  temp_dir dir;
  const tool_run run = check_pair(dir, line, train);
  // Paths are shown as given: DIR, then the file.
  std::string report = run.out;
  for (size_t p = report.find(dir.str() + "/"); p != std::string::npos; p = report.find(dir.str() + "/")) {
    report.erase(p, dir.str().size() + 1);
  }
  EXPECT_EQ(report, c.report);
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir.file("R_linea.txt")), line);
  EXPECT_EQ(read_file(dir.file("R_1-.txt")), train);
  EXPECT_EQ(names_in(dir), (std::set<std::string>{"R_linea.txt", "R_1-.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Definitions, CheckCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<check_case>& param) { return std::string(param.param.name); });

TEST(ToolCheck, UsageAndMissingFilesAreStatusTwo) {
  temp_dir dir;
  write_file(dir.file("R_linea.txt"), kLine);
  struct usage_case {
    std::vector<std::string> args;
    const char* message;
  };
  const usage_case cases[] = {
      {{dir.str(), "--route", "R"}, "servono DIR, --route NOME e --train NUMERO"},
      {{dir.str(), "--route", "R", "--train", "1", "--bogus"}, "opzione sconosciuta: --bogus"},
      {{dir.file("nowhere"), "--route", "R", "--train", "1"}, "non esiste"},
      {{dir.str(), "--route", "R", "--train", "1"}, "R_1-.txt non esiste"},  // no train definition
  };
  for (const usage_case& c : cases) {
    const tool_run run = check(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.out, "") << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace scenario::tool

namespace scenario::tool {
namespace {

// Two faults in two records and a warning: check goes on after each fault
// at the next record, lists all in file order, and names the one compile
// stops at; --json gives the same as one object.
TEST(ToolCheck, ListsEveryFaultAndItsJson) {
  std::string train = kTrain;
  train.replace(train.find("stazione, 3000, 12, 400"), 23, "stazione, 3000, 12, 450");
  train.replace(train.find("velocita, 0, 80"), 15, "velocita, 0, 8x");
  std::string line = kLine;
  line.replace(line.find("pendenza, 1000, 12"), 18, "pendenza, 1000, 12, 4");
  temp_dir dir;
  const tool_run run = check_pair(dir, line, train);
  EXPECT_EQ(run.status, 1);
  const size_t warning = run.out.find("R_linea.txt:5:21: avviso");
  const size_t first = run.out.find("R_1-.txt:2:14: errore 25");
  const size_t second = run.out.find("R_1-.txt:5:21: errore 9");
  EXPECT_LT(warning, first) << run.out;
  EXPECT_LT(first, second) << run.out;
  EXPECT_NE(second, std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2 errori, 1 avviso; compile riporta l'errore 25\n"), std::string::npos) << run.out;

  const tool_run json = check({dir.str(), "--route", "R", "--train", "1", "--json"});
  EXPECT_EQ(json.status, 1);
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report.at("errors"), 2);
  EXPECT_EQ(report.at("warnings"), 1);
  EXPECT_EQ(report.at("reported"), 25);
  ASSERT_EQ(report.at("findings").size(), 3u);
  const nlohmann::json& fault = report.at("findings").at(2);
  EXPECT_EQ(fault.at("severity"), "errore");
  EXPECT_EQ(fault.at("code"), 9);
  EXPECT_EQ(fault.at("file"), dir.file("R_1-.txt"));
  EXPECT_EQ(fault.at("line"), 5);
  EXPECT_EQ(fault.at("column"), 21);
  EXPECT_EQ(fault.at("position"), 3000);
  EXPECT_EQ(report.at("findings").at(0).at("severity"), "avviso");
  EXPECT_EQ(report["findings"][0]["kind"], "unknown_field");

  // --strict: warnings alone count as faults.
  std::string clean_line = kLine;
  clean_line.replace(clean_line.find("pendenza, 1000, 12"), 18, "pendenza, 1000, 12, 4");
  EXPECT_EQ(check_pair(dir, clean_line, kTrain).status, 0);
  EXPECT_EQ(check({dir.str(), "--route", "R", "--train", "1", "--strict"}).status, 1);
}

}  // namespace
}  // namespace scenario::tool

namespace scenario::tool {
namespace {

// A kilometric progression off the 50 m grid is found only once both
// definitions are read; check lists it at its record beside the fault
// that stops a compile first.
TEST(ToolCheck, ListsTheProgressionFaultBesideALaterOne) {
  std::string line = kLine;
  line.replace(line.find("[pendenze]"), 10, "progressiva chilometrica uno, 25, 0, 1\r\n[pendenze]");
  std::string train = kTrain;
  train.replace(train.find("stazione, 3000, 12, 400"), 23, "stazione, 3000, 12, 450");
  temp_dir dir;
  const tool_run run = check_pair(dir, line, train);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find(dir.file("R_linea.txt") +
                         ":3:31: errore 2: progressiva chilometrica con posizione o valore non multiplo di 50 m: "
                         "posizione 25 m, valore 0 m\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(dir.file("R_1-.txt") + ":5:21: errore 9"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2 errori, 0 avvisi; compile riporta l'errore 9\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace scenario::tool
