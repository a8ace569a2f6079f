// The command line every command shares: help, version, options written
// either way, and an unknown option named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::temp_dir;
using testing::tool_run;

tool_run scenario_with(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = run_scenario(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CommandLine, HelpVersionAndUnknownWords) {
  struct row {
    std::vector<std::string> args;
    int status;
    const char* out;  // found in standard output
    const char* err;  // found in standard error
  };
  const row rows[] = {
      {{"--version"}, 0, "scenario 1.", ""},
      {{"help"}, 0, "uso: scenario COMANDO", ""},
      {{"-h"}, 0, "uso: scenario COMANDO", ""},
      {{"help", "check"}, 0, "uso: scenario check DIR", ""},
      {{"help", "campi"}, 0, "I record delle definizioni e i loro campi", ""},
      {{"check", "-h"}, 0, "uso: scenario check DIR", ""},
      {{"help", "nessuno"}, 2, "", "comando sconosciuto: nessuno"},
      {{"compila"}, 2, "", "comando sconosciuto: compila"},
      {{"-v"}, 2, "", "opzione sconosciuta: -v"},
      {{"check", "d", "--route", "R", "--train", "1", "-v"}, 2, "", "opzione sconosciuta: -v"},
      {{"check", "d", "--route=R", "--train", "1", "--strict=si"}, 2, "", "l'opzione --strict non prende un valore"},
      {{}, 2, "", "uso: scenario COMANDO"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.args.empty() ? "(nothing)" : r.args.back());
    const tool_run run = scenario_with(r.args);
    EXPECT_EQ(run.status, r.status);
    EXPECT_NE(run.out.find(r.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(r.err), std::string::npos) << run.err;
  }
}

TEST(CommandLine, OptionWithEqualsSignsAndAMissingDirectory) {
  temp_dir dir;
  EXPECT_EQ(scenario_with({"example", dir.str(), "--route=Valdorsa", "--train=2231"}).status, 0);
  const tool_run run = scenario_with({"check", dir.str(), "--route=Valdorsa", "--train=2231"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "0 errori, 0 avvisi\n");
}

}  // namespace
}  // namespace scenario::tool
