#include "run/form_load.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "model/test_files.h"
#include "run/error_report.h"

namespace scenario {
namespace {

using testing::names_in;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

class recording_platform : public platform {
 public:
  explicit recording_platform(std::string dir) : dir_(std::move(dir)) {}
  void show_wait_window() override { ++windows; }
  void show_report(const std::string& message) override { reports.push_back(message); }
  std::string application_directory() override { return dir_; }
  void close_window() override { ++closed; }
  int windows = 0;
  int closed = 0;
  std::vector<std::string> reports;

 private:
  std::string dir_;
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

}  // namespace
}  // namespace scenario
