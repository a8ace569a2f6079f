// The ends of a replacement: a second thread that cannot be started, a set
// with a failed write, and a replacement cut short between setting the old
// files aside and putting the new ones in place.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "model/compile.h"
#include "model/compiled_writer.h"
#include "model/output_files.h"
#include "model/test_files.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::names_in;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

const definition_texts kDefinitions{"[generale]\r\nlunghezza percorso, 12000\r\n[fine]\r\n",
                                    "[generale]\r\nsabbia, 200\r\n[fine]\r\n"};
const std::set<std::string> kCompiled = {"R_linea.dat", "R_1.sim", "R_1.dat"};

// The compiled files of a compile in `dir`: name -> bytes.
std::map<std::string, std::string> compile_in(const temp_dir& dir, thread_starter start = start_thread) {
  scenario_model m;
  m.identity = {"R", "1"};
  compiled_files_writer writer(m, dir.str(), std::move(start));
  const compile_outcome outcome = compile_scenario(m, 1, kDefinitions, nullptr, [&] { writer.begin_plan(); });
  EXPECT_TRUE(can_write(m, outcome));
  writer.commit();
  std::map<std::string, std::string> files;
  for (const std::string& name : kCompiled) files[name] = read_file(dir.file(name));
  return files;
}

// A system out of threads from the n-th start on (0: from the first, the
// plan's; 1: from the second, the one computing the plan's points).
thread_starter failing_from(int n) {
  // One count for every copy of the starter.
  return [n, started = std::make_shared<int>(0)](std::function<void()> work) {
    if ((*started)++ >= n) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(work));
  };
}

TEST(OutputThreads, NoThreadToStartWritesTheSameFilesOnOne) {
  temp_dir reference;
  const auto expected = compile_in(reference);
  for (int n : {0, 1}) {
    SCOPED_TRACE(n);
    temp_dir dir;
    EXPECT_TRUE(compile_in(dir, failing_from(n)) == expected);
    EXPECT_EQ(names_in(dir), kCompiled);  // no ".part" left
  }
}

// A compile with a fault drops its writer while the route plan may still be
// being computed: the plan stops at its next piece instead of being written
// whole for nothing. The plan's temporary file leads to a file outside the
// folder, which keeps what was written; the thread computing the plan's
// pieces starts only once the writer is being dropped.
TEST(OutputThreads, ADroppedWriterStopsThePlan) {
  using namespace std::chrono_literals;
  temp_dir dir;
  temp_dir elsewhere;
  const std::string kept = elsewhere.file("piano");
  write_file(kept, "");
  fs::create_symlink(kept, dir.file("R_linea.dat.part"));
  std::atomic<bool> dropping{false};
  thread_starter start = [&dropping, started = std::make_shared<int>(0)](std::function<void()> work) {
    if ((*started)++ == 0) return std::thread(std::move(work));  // the plan's writer
    return std::thread([&dropping, work = std::move(work)] {
      while (!dropping) std::this_thread::sleep_for(1ms);
      std::this_thread::sleep_for(300ms);  // for the writer to be dropped, with room for a slow machine
      work();
    });
  };
  scenario_model m;
  m.identity = {"R", "1"};
  {
    compiled_files_writer writer(m, dir.str(), start);
    compile_scenario(m, 1, kDefinitions, nullptr, [&] { writer.begin_plan(); });
    EXPECT_NE(m.line_mode, 0);
    dropping = true;
  }
  EXPECT_EQ(read_file(kept).find_first_not_of('\0'), std::string::npos) << "a piece of the plan was written";
  EXPECT_EQ(names_in(dir), std::set<std::string>{});
}

// A write of the set failed and its caller went on to commit: nothing is
// replaced, and no temporary file stays.
TEST(OutputSet, FailedWriteRefusesTheCommit) {
  temp_dir dir;
  write_file(dir.file("a.dat"), "vecchio a");
  write_file(dir.file("b.dat"), "vecchio b");
  {
    output_set out(dir.str());
    out.write("a.dat", [](const chunk_writer& w) { w("nuovo a"); });
    EXPECT_THROW(out.write_pieces("b.dat", 10, [](const piece_writer&) { throw std::runtime_error("guasto"); }),
                 std::runtime_error);
    EXPECT_THROW(out.commit(), file_error);
  }
  EXPECT_EQ(read_file(dir.file("a.dat")), "vecchio a");
  EXPECT_EQ(read_file(dir.file("b.dat")), "vecchio b");
  EXPECT_EQ(names_in(dir), (std::set<std::string>{"a.dat", "b.dat"}));
}

// The folder's files, name -> bytes; a folder as "<cartella>".
std::map<std::string, std::string> contents(const temp_dir& dir) {
  std::map<std::string, std::string> found;
  for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
    found[e.path().filename().string()] = e.is_directory() ? "<cartella>" : read_file(e.path().string());
  }
  return found;
}

// Putting a set in place fails part way: every step done so far is undone,
// the old files are back under their names and no new file stays, also
// one that had no old file to replace.
TEST(OutputSet, PlacingFailingPartWayPutsTheOldFilesBack) {
  using files = std::map<std::string, std::string>;
  const struct {
    const char* what;
    files old;
    void (*spoil)(const temp_dir&);  // after the writes, before the commit
    files left;
  } cases[] = {
      {"the second new file cannot be placed", {{"a.dat", "vecchio a"}, {"b.dat", "vecchio b"}},
       [](const temp_dir& d) { fs::remove(d.file("b.dat.part")); },
       {{"a.dat", "vecchio a"}, {"b.dat", "vecchio b"}}},
      {"the file placed first had no old one", {{"b.dat", "vecchio b"}},
       [](const temp_dir& d) { fs::remove(d.file("b.dat.part")); }, {{"b.dat", "vecchio b"}}},
      {"the second old file cannot be set aside", {{"a.dat", "vecchio a"}, {"b.dat", "vecchio b"}},
       [](const temp_dir& d) {
         fs::create_directory(d.file("b.dat.prev"));
         write_file(d.file("b.dat.prev/x"), "x");
       },
       {{"a.dat", "vecchio a"}, {"b.dat", "vecchio b"}, {"b.dat.prev", "<cartella>"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    temp_dir dir;
    for (const auto& [name, bytes] : c.old) write_file(dir.file(name), bytes);
    {
      output_set out(dir.str());
      out.write("a.dat", [](const chunk_writer& w) { w("nuovo a"); });
      out.write("b.dat", [](const chunk_writer& w) { w("nuovo b"); });
      c.spoil(dir);
      EXPECT_THROW(out.commit(), file_error);
    }
    EXPECT_EQ(contents(dir), c.left);
  }
}

// Each state a replacement of the compiled files can be cut in: the next
// compile in the folder finds the last whole set in place, and no ".prev".
TEST(OutputSet, ReplacementCutShortIsPutRightByTheNextCompile) {
  const struct {
    const char* when;
    std::set<std::string> set_aside;  // old files moved to ".prev"
    std::set<std::string> placed;     // new files in place
    bool new_set_stays;
  } cases[] = {
      {"while setting the old files aside", {"R_linea.dat"}, {}, false},
      {"before any new file was placed", kCompiled, {}, false},
      {"halfway through placing the new files", kCompiled, {"R_linea.dat", "R_1.sim"}, false},
      {"while removing the old files", {"R_1.dat"}, kCompiled, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.when);
    temp_dir dir;
    for (const std::string& name : kCompiled) {
      if (c.set_aside.count(name)) {
        write_file(dir.file(name + ".prev"), "vecchio " + name);
      } else if (!c.placed.count(name)) {
        write_file(dir.file(name), "vecchio " + name);
      }
      if (c.placed.count(name)) write_file(dir.file(name), "nuovo " + name);
    }
    // A compile with a fault writes nothing, and still puts the folder right.
    {
      scenario_model m;
      m.identity = {"R", "1"};
      compiled_files_writer writer(m, dir.str());
    }
    EXPECT_EQ(names_in(dir), kCompiled);
    for (const std::string& name : kCompiled) {
      EXPECT_EQ(read_file(dir.file(name)), (c.new_set_stays ? "nuovo " : "vecchio ") + name);
    }
  }
}

}  // namespace
}  // namespace scenario
