// What the tool says and does when the command line does not name the
// definitions it meant to: a mistyped name, a file name where a name is
// asked for, an empty train number, train "linea", a missing train
// definition compiled as the program would; and the one line of a clean
// compile.
#include <gtest/gtest.h>

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
using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

// The example definitions under the names of `route` and `train`, or of
// the route alone when `train` is null.
void write_definitions(const temp_dir& dir, const std::string& route, const char* train) {
  temp_dir example;
  ASSERT_EQ(run_command(run_example, {example.str()}).status, 0);
  write_file(dir.file(route + "_linea.txt"), read_file(example.file("Brenvalo_Morvena_linea.txt")));
  if (train != nullptr) {
    write_file(dir.file(route + "_" + train + "-.txt"), read_file(example.file("Brenvalo_Morvena_4815-.txt")));
  }
}

// Valle with trains 101 and 102 and one of no number, and Monte Alto with
// no train.
void write_folder(const temp_dir& dir) {
  write_definitions(dir, "Valle", "101");
  write_definitions(dir, "Valle", "102");
  write_definitions(dir, "Valle", "");
  write_definitions(dir, "Monte Alto", nullptr);
}

TEST(ToolDefinitions, WrongNamesSayWhatTheFolderHolds) {
  temp_dir dir;
  write_folder(dir);
  const std::string listing = "definizioni nella cartella " + dir.str() +
                              ":\n"
                              "  --route \"Monte Alto\"   (Monte Alto_linea.txt, nessuna definizione del treno)\n"
                              "  --route Valle --train \"\"   (Valle_linea.txt, Valle_-.txt)\n"
                              "  --route Valle --train 101   (Valle_linea.txt, Valle_101-.txt)\n"
                              "  --route Valle --train 102   (Valle_linea.txt, Valle_102-.txt)\n";
  const struct {
    std::vector<std::string> words;
    std::string err;
  } cases[] = {
      {{"--route", "Vale", "--train", "101"}, "scenario: " + dir.file("Vale_linea.txt") + " non esiste\n" + listing},
      {{"--route", "Valle", "--train", "103"}, "scenario: " + dir.file("Valle_103-.txt") + " non esiste\n" + listing},
      {{"--route", "Monte Alto", "--train", "1"}, "scenario: " + dir.file("Monte Alto_1-.txt") + " non esiste\n" + listing},
      {{"--route", dir.file("Valle_linea.txt"), "--train", "101"},
       "scenario: --route vuole il nome del percorso, non il file: per Valle_linea.txt scrivi --route Valle\n"},
      {{"--route", "Valle", "--train", "Valle_101-.txt"},
       "scenario: --train vuole il numero del treno, non il file: per Valle_101-.txt scrivi --train 101\n"},
      {{"--route", "Valle", "--train", "101-.txt"},
       "scenario: --train vuole il numero del treno, non il file: per 101-.txt scrivi --train 101\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words[1] + " " + c.words[3]);
    std::vector<std::string> words = {dir.str()};
    words.insert(words.end(), c.words.begin(), c.words.end());
    for (auto command : {run_compile, run_check}) {
      const tool_run run = run_command(command, words);
      EXPECT_EQ(run.status, kExitUsage);
      EXPECT_EQ(run.err, c.err);
    }
  }
  temp_dir empty;
  EXPECT_EQ(run_command(run_check, {empty.str(), "--route", "Valle", "--train", "101"}).err,
            "scenario: " + empty.file("Valle_linea.txt") + " non esiste\nnella cartella " + empty.str() +
                " non c'e' nessuna definizione (NOME_linea.txt e NOME_NUMERO-.txt)\n");
}

// A clean compile says in one line what it wrote; the names of an empty
// train number and of train "linea" without the route plan are the
// scenario's own.
TEST(ToolDefinitions, CleanCompileNamesWhatItWroteForEveryTrainNumber) {
  const struct {
    const char* train;
    bool plan;
    std::vector<std::string> written;
  } cases[] = {
      {"101", true, {"R_linea.dat", "R_101.sim", "R_101.dat"}},
      {"", true, {"R_linea.dat", "R_.sim", "R_.dat"}},
      {"", false, {"R_.sim", "R_.dat"}},
      {"linea", false, {"R_linea.sim", "R_linea.dat"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.train) + (c.plan ? "" : " --no-plan"));
    temp_dir dir;
    write_definitions(dir, "R", c.train);
    std::vector<std::string> words = {dir.str(), "--route", "R", "--train", c.train};
    if (!c.plan) words.push_back("--no-plan");
    const tool_run run = run_command(run_compile, words);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::string line = "scritti";
    for (size_t i = 0; i < c.written.size(); ++i) line += (i == 0 ? " " : ", ") + dir.file(c.written[i]);
    EXPECT_EQ(run.out, line + "; 0 avvisi\n");
    EXPECT_EQ(names_in(dir).size(), 2 + c.written.size());
  }
}

// The route cells of train "linea" never replace the route plan an earlier
// compile left under that name.
TEST(ToolDefinitions, TrainLineaKeepsTheRoutePlan) {
  temp_dir dir;
  write_definitions(dir, "R", "1");
  write_definitions(dir, "R", "linea");
  ASSERT_EQ(run_command(run_compile, {dir.str(), "--route", "R", "--train", "1"}).status, 0);
  const std::string plan = read_file(dir.file("R_linea.dat"));
  const tool_run run = run_command(run_compile, {dir.str(), "--route", "R", "--train", "linea", "--no-plan"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, "scenario: " + dir.file("R_linea.dat") +
                         " e' il tracciato della linea R, non le celle del treno linea: non lo sostituisco; "
                         "scegli un altro numero del treno\n");
  EXPECT_EQ(read_file(dir.file("R_linea.dat")), plan);
  EXPECT_FALSE(dir.has("R_linea.sim"));
}

class quiet_platform : public platform {
 public:
  void show_wait_window() override {}
  void show_report(const std::string&) override {}
  std::string application_directory() override { return ""; }
  void close_window() override {}
};

// With the train definition missing, --write-on-fault writes what the
// program writes from the line definition alone, and reports its fault.
TEST(ToolDefinitions, MissingTrainWithWriteOnFaultWritesWhatTheProgramWrites) {
  temp_dir dir;
  write_definitions(dir, "R", nullptr);
  EXPECT_EQ(run_command(run_compile, {dir.str(), "--route", "R", "--train", "1"}).status, kExitUsage);
  EXPECT_EQ(names_in(dir).size(), 1u);

  const tool_run run = run_command(run_compile, {dir.str(), "--route", "R", "--train", "1", "--write-on-fault"});
  EXPECT_EQ(run.status, kExitFault);
  EXPECT_EQ(run.err, dir.file("R_1-.txt") + ": errore 25: lettura non riuscita: manca la definizione del treno\n");
  EXPECT_EQ(run.out, "scritti " + dir.file("R_linea.dat") + ", " + dir.file("R_1.sim") + ", " +
                         dir.file("R_1.dat") + "; 0 avvisi\n");

  temp_dir program_dir;
  write_file(program_dir.file("R_linea.txt"), read_file(dir.file("R_linea.txt")));
  quiet_platform program;
  EXPECT_EQ(compile_definitions(program, program_dir.str(), {"R", "1"}), 1);
  for (const char* name : {"R_linea.dat", "R_1.sim", "R_1.dat"}) {
    EXPECT_EQ(read_file(dir.file(name)), read_file(program_dir.file(name))) << name;
  }
}

}  // namespace
}  // namespace scenario::tool
