// One fault model: the program, `compile`, `check` and `map` report the
// same fault for the same definitions; and what surrounds a compile in the
// tool: names that would collide, text converted where it enters a
// message, JSON for every outcome.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "model/test_files.h"
#include "run/form_load.h"
#include "run/platform.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::names_in;
using scenario::testing::temp_dir;
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

class recording_platform : public platform {
 public:
  void show_wait_window() override {}
  void show_report(const std::string& message) override { reports.push_back(message); }
  std::string application_directory() override { return ""; }
  void close_window() override {}
  std::vector<std::string> reports;
};

// The first "errore N" in a text; 0 when there is none.
int first_fault(const std::string& text) {
  static const std::regex fault(R"(errore (\d+))");
  std::smatch m;
  return std::regex_search(text, m, fault) ? std::stoi(m[1].str()) : 0;
}

std::string line_with(const std::string& records) {
  return "[generale]\r\nlunghezza percorso, 10000\r\n[x]\r\n" + records + "[fine]\r\n";
}
std::string train_with(const std::string& records) { return "[generale]\r\n" + records + "[fine]\r\n"; }

TEST(OneFaultModel, ProgramCompileCheckAndMapReportTheSameFault) {
  const struct {
    const char* name;
    std::string line, train;
    int fault;
  } cases[] = {
      // 15 recorded by the line definition, then a reserved field found set:
      // nothing is written, so 1250 is the fault every command reports.
      {"gradient beyond the route and a signal at 0 m", line_with("pendenza, 20000, 5\r\n"),
       train_with("segnale, 0, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\n"), 1250},
      {"signal on a taken cell", line_with(""),
       train_with("segnale, 750, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\nsegnale, 760, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\n"), 16},
      // The post-processing's fault replaces the loader's 15.
      {"code point with no room after a range fault", line_with("pendenza, 17000, 5\r\n"),
       train_with("segnale, 750, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\nsegnale, 700, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
                  "segnale, 650, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\nrallentamento, 1000, 120, 500, 0, 0, 0\r\n"),
       12},
      {"gradient that does not fit its byte", line_with("pendenza, 100, -150\r\n"), train_with(""), 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    temp_dir dir;
    const std::vector<std::string> words = {dir.str(), "--route", "R", "--train", "1"};
    std::vector<std::string> map_words = words;
    map_words.insert(map_words.end(), {"-o", dir.file("m.svg")});
    write_file(dir.file("R_linea.txt"), c.line);
    write_file(dir.file("R_1-.txt"), c.train);

    EXPECT_EQ(first_fault(run_command(run_compile, words).err), c.fault);
    // check lists every fault it finds and names the one compile reports.
    const std::string checked = run_command(run_check, words).out;
    const std::regex reported(R"(compile riporta l'errore (\d+)\n$)");
    std::smatch m;
    const int check_reports = std::regex_search(checked, m, reported) ? std::stoi(m[1].str()) : first_fault(checked);
    EXPECT_EQ(check_reports, c.fault) << checked;
    std::vector<std::string> check_json = words;
    check_json.push_back("--json");
    EXPECT_EQ(nlohmann::json::parse(run_command(run_check, check_json).out)["reported"], c.fault);
    EXPECT_EQ(first_fault(run_command(run_map, map_words).err), c.fault);
    std::vector<std::string> json_words = words;
    json_words.push_back("--json");
    EXPECT_EQ(nlohmann::json::parse(run_command(run_compile, json_words).out)["error_code"], c.fault);

    recording_platform program;
    EXPECT_EQ(compile_definitions(program, dir.str(), {"R", "1"}), 1);
    ASSERT_EQ(program.reports.size(), 1u);
    EXPECT_EQ(program.reports[0].rfind(" Errore n. " + std::to_string(c.fault), 0), 0u) << program.reports[0];
    // The program deletes the definitions it has read; the tool never does.
    EXPECT_FALSE(dir.has("R_linea.txt"));
    EXPECT_FALSE(dir.has("R_1-.txt"));
  }
}

TEST(ToolIdentity, NamesThatCannotNameTheFilesAreRefusedBeforeAnything) {
  const struct {
    const char* route;
    const char* train;
    const char* message;
  } cases[] = {
      {"R", "linea", "due file avrebbero lo stesso nome, R_linea.dat"},
      {"R", "LINEA", "due file avrebbero lo stesso nome"},  // Windows ignores case
      {"R", "a/b", "il numero del treno contiene il carattere '/'"},
      {"R:x", "1", "il nome del percorso contiene il carattere ':'"},
      {"", "1", "il nome del percorso e' vuoto"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.train);
    temp_dir dir;
    write_file(dir.file("R_linea.txt"), line_with(""));
    // Only compile writes the route plan, the name the route cells of
    // train "linea" would take.
    const bool plan_only = std::string(c.train) == "linea" || std::string(c.train) == "LINEA";
    for (auto command : {run_compile, run_check}) {
      const tool_run run = run_command(command, {dir.str(), "--route", c.route, "--train", c.train});
      EXPECT_EQ(run.status, kExitUsage);
      EXPECT_EQ(run.err.find(c.message) != std::string::npos, !plan_only || command == run_compile) << run.err;
    }
    const tool_run no_plan = run_command(run_compile, {dir.str(), "--route", c.route, "--train", c.train, "--no-plan"});
    EXPECT_EQ(no_plan.err.find(c.message) != std::string::npos, !plan_only) << no_plan.err;
    EXPECT_EQ(names_in(dir).size(), 1u);
  }
}

// Paths and words of the command line are shown as given; only text taken
// from a definition is converted from Windows-1252.
TEST(ToolEncoding, DefinitionTextIsConvertedPathsAreNot) {
  temp_dir parent;
  const std::string dir = parent.file("citt\xC3\xA0");  // UTF-8, as the terminal gave it
  std::filesystem::create_directory(dir);
  const std::string route = "Citt\xC3\xA0";
  write_file(dir + "/" + route + "_linea.txt", line_with("pendenza, 1x\xE0, 5\r\n"));  // Windows-1252
  write_file(dir + "/" + route + "_1-.txt", train_with(""));
  const tool_run run = run_command(run_check, {dir, "--route", route, "--train", "1"});
  EXPECT_EQ(run.status, kExitFault);
  EXPECT_NE(run.out.find(dir + "/" + route + "_linea.txt:4:11: errore 25"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"1x\xC3\xA0\" non e' un numero intero"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("pendenza, 1x\xC3\xA0, 5\n"), std::string::npos) << run.out;

  const tool_run json = run_command(run_compile, {dir, "--route", route, "--train", "1", "--json"});
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report.at("file"), dir + "/" + route + "_linea.txt");
  EXPECT_EQ(report.at("message"), "lettura non riuscita: \"1x\xC3\xA0\" non e' un numero intero");
}

TEST(ToolCompile, JsonAnswersEveryOutcome) {
  temp_dir dir;
  write_file(dir.file("R_linea.txt"), line_with(""));
  struct json_case {
    std::vector<std::string> words;
    int status;
    nlohmann::json code;
    const char* message;
  };
  const json_case cases[] = {
      {{dir.str(), "--route", "R", "--train", "1", "--json"}, kExitUsage, 25, "R_1-.txt non esiste"},
      {{dir.str(), "--route", "R", "--train", "1", "--json", "--bogus"}, kExitUsage, nullptr,
       "opzione sconosciuta: --bogus"},
      {{"--json"}, kExitUsage, nullptr, "servono DIR"},
  };
  for (const json_case& c : cases) {
    const tool_run run = run_command(run_compile, c.words);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, "");
    const nlohmann::json report = nlohmann::json::parse(run.out);  // exactly one object
    EXPECT_EQ(report.at("error_code"), c.code);
    EXPECT_NE(report.at("message").get<std::string>().find(c.message), std::string::npos) << run.out;
  }
}

}  // namespace
}  // namespace scenario::tool
