// scenario documenti on an author's folder: the three papers written where
// asked, the author's notes taken in either encoding, and what it refuses
// before writing anything.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

// The built-in definitions under an author's names.
struct author_folder {
  author_folder() {
    dati_linea(dir.str(), {"Valle", "12"});
    dati_treno(dir.str(), {"Valle", "12"});
  }
  tool_run documenti(std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {dir.str(), "--route", "Valle", "--train", "12"};
    args.insert(args.end(), more.begin(), more.end());
    return run_command(run_documenti, args);
  }
  temp_dir dir;
};

const std::set<std::string> kDefinitions = {"Valle_linea.txt", "Valle_12-.txt"};
const std::set<std::string> kPapers = {"Valle_12_note.txt", "Valle_12_rallentamenti.txt", "Valle_12_scheda_treno.txt"};

TEST(ToolDocumenti, WritesTheThreePapersBesideTheDefinitionsOrWhereAsked) {
  const author_folder f;
  tool_run run = f.documenti();
  ASSERT_EQ(run.status, 0) << run.err;
  std::set<std::string> expected = kDefinitions;
  expected.insert(kPapers.begin(), kPapers.end());
  EXPECT_EQ(names_in(f.dir), expected);
  EXPECT_EQ(run.out, "scritti " + f.dir.file("Valle_12_note.txt") + ", " + f.dir.file("Valle_12_rallentamenti.txt") +
                         ", " + f.dir.file("Valle_12_scheda_treno.txt") + "\n");
  const std::string card = read_file(f.dir.file("Valle_12_scheda_treno.txt"));
  EXPECT_NE(card.find("\r\n |    TRENO n. 12    |                   da: BRENVALO TERME        |"), std::string::npos)
      << card;

  // Elsewhere, with the kilometres rising: the same rows, other posts.
  const temp_dir elsewhere;
  run = f.documenti({"-o", elsewhere.str(), "--chilometrica", "crescente"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(names_in(elsewhere), kPapers);
  const std::string rising = read_file(elsewhere.file("Valle_12_scheda_treno.txt"));
  EXPECT_NE(rising.find("|  73.450  |     | BRENVALO TERME"), std::string::npos) << rising;
  EXPECT_NE(rising.find("| 113.350  |     | MORVENA   "), std::string::npos) << rising;
}

// An author's notes saved as UTF-8 (as Notepad saves them) reach the
// paper as Windows-1252, like every other text of the scenario.
TEST(ToolDocumenti, TheAuthorsNotesAreWrittenInWindows1252) {
  const author_folder f;
  for (const std::string& saved : {std::string("- Umidit\xC3\xA0 in galleria.\n"),
                                   std::string("\xEF\xBB\xBF- Umidit\xC3\xA0 in galleria.\r\n"),
                                   std::string("- Umidit\xE0 in galleria.\r\n")}) {
    write_file(f.dir.file("note.txt"), saved);
    const tool_run run = f.documenti({"--note", f.dir.file("note.txt")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file(f.dir.file("Valle_12_note.txt")),
              "               Treno 12 sul percorso BRENVALO TERME - MORVENA\r\n\r\n Note sullo scenario:\r\n\r\n"
              " - Umidit\xE0 in galleria.\r\n");
  }
}

TEST(ToolDocumenti, RefusesBeforeWritingAnything) {
  const author_folder f;
  struct refused {
    std::vector<std::string> words;
    int status;
    std::string says;
  } cases[] = {
      {{"--chilometrica", "su"}, 2, "--chilometrica vuole crescente o decrescente"},
      {{"--sosta", "-5"}, 2, "--sosta vuole i secondi"},
      {{"--sosta", "30s"}, 2, "--sosta vuole i secondi"},
      {{"--note", f.dir.file("manca.txt")}, 2, "impossibile leggere " + f.dir.file("manca.txt")},
      {{"-o", f.dir.file("manca")}, 2, "scenario documenti: "},
      {{"--nota", "x"}, 2, "--nota"},
  };
  for (const refused& c : cases) {
    const tool_run run = f.documenti(c.words);
    EXPECT_EQ(run.status, c.status) << c.words[0];
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(names_in(f.dir), kDefinitions) << c.words[0];
  }
  // A fault in the definitions: told as compile tells it, nothing written.
  std::string train = read_file(f.dir.file("Valle_12-.txt"));
  train.replace(train.find("14750, 12,  300"), 15, "14750, 12,  350");
  write_file(f.dir.file("Valle_12-.txt"), train);
  const tool_run run = f.documenti();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("errore 9:"), std::string::npos) << run.err;
  EXPECT_EQ(names_in(f.dir), kDefinitions);
}

}  // namespace
}  // namespace scenario::tool
