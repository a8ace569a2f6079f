#include "model/written_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/test_names.h"

namespace scenario {
namespace {

// The files of scenario Valle 77 a paper is written beside.
std::vector<std::string> valle_with(const std::string& paper) {
  return {"Valle_linea.txt", "Valle_77-.txt",     "Valle_linea.dat", "Valle_77.sim", "Valle_77.dat",
          "Valle_77_scheda_treno.txt", "Valle_77_note.txt", paper};
}

TEST(WrittenNames, NamesThatWindowsOrTheProgramTakeForAnotherFileAreRefused) {
  for (const testing::refused_name& r : testing::kRefusedPaperNames) {
    const std::optional<std::string> problem = written_names_problem(valle_with(r.name));
    ASSERT_TRUE(problem.has_value()) << '"' << r.name << '"';
    EXPECT_NE(problem->find(r.reason), std::string::npos) << '"' << r.name << "\": " << *problem;
  }
}

TEST(WrittenNames, NamesAlikeInPartAreFilesOfTheirOwn) {
  EXPECT_EQ(written_names_problem(valle_with("Valle_77_rallentamenti.txt")), std::nullopt);
  for (const char* name : testing::kAcceptedPaperNames) {
    EXPECT_EQ(written_name_problem(name), std::nullopt) << name;
    EXPECT_EQ(written_names_problem(valle_with(name)), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace scenario
