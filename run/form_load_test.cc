#include "run/form_load.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "model/test_files.h"
#include "content/built_in_identity.h"
#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"
#include "documents/scenario_notes.h"
#include "model/compile.h"
#include "model/packed_scenario.h"
#include "run/error_report.h"

namespace scenario {
namespace {

using testing::names_in;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

class recording_platform : public platform {
 public:
  explicit recording_platform(std::string dir, std::string program = {})
      : dir_(std::move(dir)), program_(std::move(program)) {}
  void show_wait_window() override { ++windows; }
  void show_report(const std::string& message) override { reports.push_back(message); }
  void notice(const std::string& message) override { notices.push_back(message); }
  std::string application_directory() override { return dir_; }
  std::string program_file() override { return program_; }
  void close_window() override { ++closed; }
  int windows = 0;
  int closed = 0;
  std::vector<std::string> reports;
  std::vector<std::string> notices;

 private:
  std::string dir_;
  std::string program_;
};

TEST(FormLoad, RunLeavesTheSixFilesAndReplacesOlderOnes) {
  temp_dir dir;
  write_file(dir.file("Brenvalo_Morvena_4815_note.txt"), std::string(10000, 'x'));
  write_file(dir.file("Brenvalo_Morvena_4815.dat"), std::string(20000, 'x'));
  recording_platform p(dir.str());
  EXPECT_EQ(Form_Load(p), 0);
  EXPECT_EQ(p.windows, 1);
  EXPECT_EQ(p.closed, 1);
  EXPECT_TRUE(p.reports.empty());
  const std::set<std::string> expected = {
      "Brenvalo_Morvena_linea.dat",           "Brenvalo_Morvena_4815.sim",
      "Brenvalo_Morvena_4815.dat",            "Brenvalo_Morvena_4815_scheda_treno.txt",
      "Brenvalo_Morvena_4815_rallentamenti.txt", "Brenvalo_Morvena_4815_note.txt"};
  EXPECT_EQ(names_in(dir), expected);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_4815.dat")).size(), 14115u);
  EXPECT_LT(read_file(dir.file("Brenvalo_Morvena_4815_note.txt")).size(), 10000u);

  const std::string first_plan = read_file(dir.file("Brenvalo_Morvena_linea.dat"));
  EXPECT_EQ(Form_Load(p), 0);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.dat")), first_plan);
}

TEST(FormLoad, FaultTexts) {
  EXPECT_EQ(error_message("1250"), " Errore n. 1250");
  fault_state f;
  f.error_code = 16;
  f.error_position = 5950;
  EXPECT_EQ(recorded_fault_text(f), "16 (5950 m)");
  f.error_code = 2;
  EXPECT_EQ(recorded_fault_text(f), "2");
}

TEST(FormLoad, FileThatCannotBeWrittenIsReported) {
  temp_dir dir;
  std::filesystem::create_directory(dir.path() / "Brenvalo_Morvena_4815_note.txt");
  recording_platform p(dir.str());
  EXPECT_NE(Form_Load(p), 0);
  ASSERT_EQ(p.reports.size(), 1u);
  EXPECT_NE(p.reports[0].find("Brenvalo_Morvena_4815_note.txt"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "Brenvalo_Morvena_4815.dat"));
}

// An author's definition left in the program's directory (an edit of the
// example, a file of its own) is kept aside under a numbered backup name,
// never over an earlier backup, and said on standard error and in the
// notes; the run goes on as before. The program's own definitions left
// there (a run cut short) are no author's work: nothing is kept then.
TEST(FormLoad, KeepsDefinitionsItDidNotWrite) {
  constexpr char kLine[] = "Brenvalo_Morvena_linea.txt";
  constexpr char kTrain[] = "Brenvalo_Morvena_4815-.txt";
  const std::string own_line = line_document_bytes(line_definition_lines());
  const std::string own_train = line_document_bytes(train_definition_lines());
  const std::string fixed_notes = line_document_bytes(scenario_notes_lines());

  temp_dir clean;
  recording_platform clean_run(clean.str());
  ASSERT_EQ(Form_Load(clean_run), 0);
  EXPECT_TRUE(clean_run.notices.empty());
  EXPECT_EQ(read_file(clean.file("Brenvalo_Morvena_4815_note.txt")), fixed_notes);

  struct found_file {
    std::string name;
    std::string bytes;
  };
  const struct {
    const char* what;
    std::vector<found_file> before;        // files there before the run
    std::vector<found_file> backups;       // backups expected after it
  } cases[] = {
      {"the program's own definitions", {{kLine, own_line}, {kTrain, own_train}}, {}},
      {"an edited train definition", {{kTrain, own_train + "; mia modifica\r\n"}},
       {{std::string(kTrain) + ".1.bak", own_train + "; mia modifica\r\n"}}},
      {"both edited, one backup already there",
       {{kLine, "mia linea"}, {kTrain, "mio treno"}, {std::string(kTrain) + ".1.bak", "prima"}},
       {{std::string(kLine) + ".1.bak", "mia linea"},
        {std::string(kTrain) + ".1.bak", "prima"},
        {std::string(kTrain) + ".2.bak", "mio treno"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    temp_dir dir;
    for (const found_file& f : c.before) write_file(dir.file(f.name), f.bytes);
    recording_platform p(dir.str());
    ASSERT_EQ(Form_Load(p), 0);
    EXPECT_TRUE(p.reports.empty());

    std::set<std::string> expected = names_in(clean);
    for (const found_file& b : c.backups) {
      expected.insert(b.name);
      EXPECT_EQ(read_file(dir.file(b.name)), b.bytes) << b.name;
    }
    EXPECT_EQ(names_in(dir), expected);
    for (const char* name : {"Brenvalo_Morvena_linea.dat", "Brenvalo_Morvena_4815.sim", "Brenvalo_Morvena_4815.dat"}) {
      EXPECT_EQ(read_file(dir.file(name)), read_file(clean.file(name))) << name;
    }

    const std::string notes = read_file(dir.file("Brenvalo_Morvena_4815_note.txt"));
    if (c.backups.empty()) {
      EXPECT_TRUE(p.notices.empty());
      EXPECT_EQ(notes, fixed_notes);
      continue;
    }
    ASSERT_EQ(p.notices.size(), 1u);
    ASSERT_EQ(notes.substr(0, fixed_notes.size()), fixed_notes);
    const std::string added = notes.substr(fixed_notes.size());
    for (const found_file& b : c.backups) {
      if (b.bytes == "prima") continue;  // the earlier backup is not this run's
      EXPECT_NE(p.notices[0].find(b.name), std::string::npos) << p.notices[0];
      EXPECT_NE(added.find(b.name), std::string::npos) << added;
    }
    EXPECT_NE(added.find("LEGGIMI.txt"), std::string::npos);
  }
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// A program file carrying `packed`: the program built beside this test
// with the scenario appended.
// `alter` may change the bytes before they are written.
std::string packed_program(const temp_dir& dir, const packed_scenario& packed, size_t cut = 0,
                           void (*alter)(std::string&) = nullptr) {
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").replace_filename(
      built_in_identity().route_name + "_" + built_in_identity().train_number);
  std::string file = read_file(program.string()) + encode_packed_scenario(packed);
  file.resize(file.size() - cut);
  if (alter != nullptr) alter(file);
  const std::string path = dir.file("programma");
  write_file(path, file);
  return path;
}

packed_scenario renamed_built_in() {
  packed_scenario s;
  s.id = {"Valle", "77"};
  s.line_definition = line_document_bytes(line_definition_lines());
  s.train_definition = line_document_bytes(train_definition_lines());
  s.papers = {{"Valle_77_scheda_treno.txt", "scheda\r\n"}, {"Valle_77_note.txt", "note\r\n"}};
  return s;
}

TEST(FormLoad, PackedScenarioTakesThePlaceOfTheBuiltInOne) {
  temp_dir programs, dir, compiled;
  const packed_scenario s = renamed_built_in();
  write_file(dir.file("Valle_linea.txt"), "una modifica dell'autore");
  recording_platform p(dir.str(), packed_program(programs, s));
  EXPECT_EQ(Form_Load(p), 0);
  EXPECT_TRUE(p.reports.empty());
  EXPECT_EQ(p.windows, 1);
  EXPECT_EQ(names_in(dir), (std::set<std::string>{"Valle_linea.dat", "Valle_77.sim", "Valle_77.dat",
                                                  "Valle_77_scheda_treno.txt", "Valle_77_note.txt",
                                                  "Valle_linea.txt.1.bak"}));
  EXPECT_EQ(read_file(dir.file("Valle_77_scheda_treno.txt")), "scheda\r\n");
  // The author's edit is kept and the packed notes say so.
  EXPECT_NE(read_file(dir.file("Valle_77_note.txt")).find("Valle_linea.txt.1.bak"), std::string::npos);
  EXPECT_EQ(read_file(dir.file("Valle_linea.txt.1.bak")), "una modifica dell'autore");

  // The compiled files are those of a compile of the same definitions.
  scenario_model model;
  model.identity = s.id;
  const compile_result r = memorizza_percorso(model, 1, {s.line_definition, s.train_definition}, compiled.str());
  ASSERT_EQ(r.files.size(), 3u);
  for (const char* name : {"Valle_linea.dat", "Valle_77.sim", "Valle_77.dat"}) {
    EXPECT_EQ(read_file(dir.file(name)), read_file(compiled.file(name))) << name;
  }
}

TEST(FormLoad, CutPackedScenarioWritesNothing) {
  temp_dir programs, dir;
  recording_platform p(dir.str(), packed_program(programs, renamed_built_in(), 5));
  EXPECT_EQ(Form_Load(p), 2);
  ASSERT_EQ(p.reports.size(), 1u);
  EXPECT_NE(p.reports[0].find("incompleto"), std::string::npos) << p.reports[0];
  EXPECT_TRUE(names_in(dir).empty());
  EXPECT_EQ(p.closed, 1);
}

// A packed program whose headers were altered (the section header table
// said to lie past the end) still says it carries a scenario: it is
// reported, never run as the built-in one.
TEST(FormLoad, PackedProgramWithAlteredHeadersWritesNothing) {
  temp_dir programs, dir;
  const auto alter = [](std::string& file) {
    ASSERT_EQ(file[4], 2);  // ELF64: e_shoff at 0x28
    const uint64_t past = file.size();
    for (int i = 0; i < 8; ++i) file[0x28 + i] = static_cast<char>((past >> (8 * i)) & 0xff);
  };
  recording_platform p(dir.str(), packed_program(programs, renamed_built_in(), 0, +alter));
  EXPECT_EQ(Form_Load(p), 2);
  ASSERT_EQ(p.reports.size(), 1u);
  EXPECT_NE(p.reports[0].find("intestazioni del programma sono alterate"), std::string::npos) << p.reports[0];
  EXPECT_TRUE(names_in(dir).empty());
}

// A paper named like the backup the program would make of the author's
// edit, or like a device: refused before anything is moved or written.
TEST(FormLoad, PaperNamedLikeTheProgramsOwnFilesWritesNothing) {
  for (const char* name : {"Valle_linea.txt.1.bak", "Valle_linea.txt.", "Valle_77.sim.prev", "NUL", "aux.txt"}) {
    temp_dir programs, dir;
    packed_scenario s = renamed_built_in();
    s.papers.push_back({name, "dal pacchetto"});
    write_file(dir.file("Valle_linea.txt"), "una modifica dell'autore");
    recording_platform p(dir.str(), packed_program(programs, s));
    EXPECT_EQ(Form_Load(p), 2) << name;
    ASSERT_EQ(p.reports.size(), 1u) << name;
    EXPECT_NE(p.reports[0].find("non valido"), std::string::npos) << p.reports[0];
    EXPECT_EQ(names_in(dir), std::set<std::string>{"Valle_linea.txt"}) << name;
    EXPECT_EQ(read_file(dir.file("Valle_linea.txt")), "una modifica dell'autore") << name;
  }
}

}  // namespace
}  // namespace scenario
