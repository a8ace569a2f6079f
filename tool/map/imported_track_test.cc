// The import's report read again by `map` and `serve`: its track, within
// bounds, and why a report is not drawn.
#include "tool/map/imported_track.h"

#include <gtest/gtest.h>

#include <string>

#include "model/test_files.h"

namespace scenario::tool {
namespace {

using scenario::testing::temp_dir;
using scenario::testing::write_file;

std::string points(size_t count) {
  std::string text = R"({"stations": [], "track_in_plan": [)";
  for (size_t i = 0; i < count; ++i) text += (i == 0 ? "[0, " : ", [0, ") + std::to_string(i) + "]";
  return text + "]}";
}

TEST(ImportedTrack, AReportIsReadWithinItsBounds) {
  struct report_case {
    std::string json;
    size_t points;
    std::string problem;  // a part of it; empty: none
  };
  const std::string deep = std::string(10000, '[') + std::string(10000, ']');
  const std::vector<report_case> cases = {
      {R"({"curves": {"by_class": [1, 2]}, "track_in_plan": [[0, 0], [3.5, 400.25]], "seconds": 1})", 2, ""},
      {R"({"stations": []})", 0, ""},
      {points(kMostImportedPoints), kMostImportedPoints, ""},
      {points(kMostImportedPoints + 1), 0, "piu' di 250000 punti"},
      {deep, 0, "annidato oltre 8 livelli"},
      {R"({"a": [[[[[[[[1]]]]]]]], "track_in_plan": [[0, 0]]})", 0, "annidato"},
      {std::string(kLargestImportReport + 1, ' '), 0, "supera 16 MiB"},
      {"{ non json", 0, "non e' JSON valido"},
      {R"({"track_in_plan": [[0, 0], [1]]})", 0, "lista di punti"},
      {R"({"track_in_plan": [[0, 0], [1, 2, 3]]})", 0, "lista di punti"},
      {R"({"track_in_plan": [[0, "0"]]})", 0, "lista di punti"},
      {R"({"track_in_plan": {"x": 0}})", 0, "lista di punti"},
      {R"({"track_in_plan": 3})", 0, "lista di punti"},
  };
  temp_dir dir;
  for (size_t i = 0; i < cases.size(); ++i) {
    write_file(dir.file("Prova_import.json"), cases[i].json);
    const imported_track read = read_imported_track(dir.str(), "Prova");
    EXPECT_EQ(read.points.size(), cases[i].points) << i;
    if (cases[i].problem.empty()) {
      EXPECT_EQ(read.problem, "") << i;
    } else {
      EXPECT_NE(read.problem.find(cases[i].problem), std::string::npos) << i << ": " << read.problem;
    }
  }
  write_file(dir.file("Prova_import.json"), cases[0].json);
  const imported_track read = read_imported_track(dir.str(), "Prova");
  ASSERT_EQ(read.points.size(), 2u);
  EXPECT_EQ(read.points[1].x, 3.5);
  EXPECT_EQ(read.points[1].y, 400.25);
  // No report: nothing drawn, nothing to tell.
  const imported_track none = read_imported_track(dir.str(), "Altro");
  EXPECT_TRUE(none.points.empty());
  EXPECT_TRUE(none.problem.empty());
}

}  // namespace
}  // namespace scenario::tool
