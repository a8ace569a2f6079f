// The live view following the definitions on disk: a definition that is
// there but cannot be read is shown as that, and a server out of
// descriptors does not tell the page its definitions are missing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/definition_files.h"
#include "model/test_files.h"
#include "tool/serve/state.h"

namespace scenario::tool {
namespace {

using scenario::testing::temp_dir;
using scenario::testing::write_file;
namespace fs = std::filesystem;

constexpr char kLine[] = "[generale]\r\nlunghezza percorso,    5000\r\n[fine]\r\n";
constexpr char kLonger[] = "[generale]\r\nlunghezza percorso,    6000\r\n[fine]\r\n";
constexpr char kTrain[] =
    "[generale]\r\nvelocita,    0,    70\r\n[stazioni]\r\n"
    "stazione,    0,    12,    400,    0, 0, 0, 1, 1, 0, 4, 1, 1, 1,    7, 30, 0,    VALLE ALTA\r\n[fine]\r\n";

// The definitions of Valle_Alta 101 in a folder of their own, shown live.
struct watched {
  temp_dir dir;
  definition_set set{dir.str(), "Valle_Alta", "101"};
  std::ostringstream err;
  live_scenario live{set};
  std::optional<definition_watch> watch;

  watched() {
    write_file(line(), kLine);
    write_file(train(), kTrain);
    const definition_texts texts = read_definitions(set.directory, set.route, set.train);
    live.update(texts);
    watch.emplace(set, texts, err);
  }
  std::string line() const { return set.paths().line; }
  std::string train() const { return set.paths().train; }
  // Two polls, as a change counts once read twice alike; whether it did.
  bool poll() {
    definition_reads reads;
    if (!watch->changed(&reads) && !watch->changed(&reads)) return false;
    live.update_from(reads);
    return true;
  }
};

TEST(ServeWatch, ADefinitionThatIsThereButCannotBeReadIsShownAsSuchNotAsMissing) {
  struct unreadable_case {
    const char* what;
    void (*spoil)(const watched&);
    const char* file;
    const char* words;
  };
  const unreadable_case cases[] = {
      {"a folder named like the line definition",
       [](const watched& w) {
         fs::remove(w.line());
         fs::create_directory(w.line());
       },
       "Valle_Alta_linea.txt", "non e' un file"},
      {"a train definition past the limit",
       [](const watched& w) { fs::resize_file(w.train(), kLargestReadFile + 1); }, "Valle_Alta_101-.txt",
       "il file supera 64 MiB"},
  };
  for (const unreadable_case& c : cases) {
    SCOPED_TRACE(c.what);
    watched w;
    const nlohmann::json drawing = w.live.state().at("disegno");
    ASSERT_TRUE(drawing.is_object());
    c.spoil(w);
    ASSERT_TRUE(w.poll());
    const nlohmann::json& s = w.live.state();
    const std::string fault = s.at("errore");
    EXPECT_NE(fault.find(c.file), std::string::npos) << fault;
    EXPECT_NE(fault.find("errore 25: lettura non riuscita: " + std::string(c.words)), std::string::npos) << fault;
    EXPECT_EQ(fault.find("manca"), std::string::npos) << fault;
    EXPECT_EQ(s.at("aggiornato"), false);
    EXPECT_EQ(s.at("disegno"), drawing);
    ASSERT_EQ(s.at("diagnostica").size(), 1u);
    EXPECT_EQ(s.at("diagnostica").at(0).at("codice"), 25);
    // Mended, the drawing is live again.
    fs::remove_all(w.line());
    write_file(w.line(), kLine);
    write_file(w.train(), kTrain);
    ASSERT_TRUE(w.poll());
    EXPECT_EQ(w.live.state().at("aggiornato"), true);
  }
}

// What an editor does to a definition is seen once the same text has been
// read twice in a row, and told once: a change written in place, a file
// replaced by a rename, a definition removed (shown as missing).
TEST(ServeWatch, SeesASettledChangeARenameAndAMissingDefinition) {
  const struct {
    const char* what;
    void (*act)(const watched&);
    std::optional<std::string> line;
    std::optional<std::string> train;
    read_problem train_problem;
    const char* fault_words;  // in the state's fault; none when empty
  } cases[] = {
      {"the line written in place", [](const watched& w) { write_file(w.line(), kLonger); }, kLonger, kTrain,
       read_problem::none, ""},
      {"the line replaced by a rename",
       [](const watched& w) {
         write_file(w.line() + ".nuovo", kLonger);
         fs::rename(w.line() + ".nuovo", w.line());
       },
       kLonger, kTrain, read_problem::none, ""},
      {"the train removed", [](const watched& w) { fs::remove(w.train()); }, kLine, std::nullopt,
       read_problem::missing, "manca la definizione del treno"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    watched w;
    definition_reads reads;
    EXPECT_FALSE(w.watch->changed(&reads));  // nothing new
    c.act(w);
    EXPECT_FALSE(w.watch->changed(&reads));  // read once: maybe halfway through a save
    ASSERT_TRUE(w.watch->changed(&reads));
    EXPECT_EQ(reads.texts.line, c.line);
    EXPECT_EQ(reads.texts.train, c.train);
    EXPECT_EQ(reads.line, read_problem::none);
    EXPECT_EQ(reads.train, c.train_problem);
    definition_reads again;
    EXPECT_FALSE(w.watch->changed(&again));  // told once
    w.live.update_from(reads);
    const nlohmann::json& s = w.live.state();
    if (*c.fault_words == '\0') {
      EXPECT_EQ(s.at("errore"), nullptr);
      EXPECT_EQ(s.at("disegno").at("lunghezza"), 6000);
    } else {
      EXPECT_NE(s.at("errore").get<std::string>().find(c.fault_words), std::string::npos) << s.at("errore");
    }
  }
}

// The limit on descriptors is lowered for this process alone; each test
// runs in its own.
TEST(ServeWatch, OutOfDescriptorsTheStateStaysAndTheServerSaysWhy) {
  watched w;
  const nlohmann::json before = w.live.state();
  // UndefinedBehaviorSanitizer checks a virtual call's object through a
  // pipe the first time it meets its type: done now, while it can open one.
  static_cast<std::ostream&>(w.err).flush();
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  std::vector<int> held;
  for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) held.push_back(fd);
  const bool changed = w.poll() || w.poll();
  for (int fd : held) ::close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_FALSE(changed);
  EXPECT_EQ(w.live.state(), before);
  EXPECT_NE(w.err.str().find("troppi file aperti"), std::string::npos) << w.err.str();
  // Told once, not at every poll; and told again when it reads once more.
  const std::string told = w.err.str();
  EXPECT_EQ(told.find("troppi file aperti"), told.rfind("troppi file aperti"));
  EXPECT_FALSE(w.poll());
  EXPECT_NE(w.err.str().find("di nuovo"), std::string::npos);
}

}  // namespace
}  // namespace scenario::tool
