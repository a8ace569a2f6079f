// Compiles whose output cannot be written. Whatever fails, the compiled
// files of the previous compile must stay complete and unchanged, and no
// temporary file may be left in the directory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/compile.h"
#include "model/output_files.h"
#include "model/test_files.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::temp_dir;
using testing::write_file;

constexpr char kPlan[] = "R_linea.dat";
constexpr char kItems[] = "R_1.sim";
constexpr char kCells[] = "R_1.dat";

// Two compiles whose three files all differ, so a file replaced by the
// second one cannot pass for the first one's.
struct definitions {
  std::string line;
  std::string train;
};
const definitions kOld{"[generale]\r\nlunghezza percorso, 10000\r\n[fine]\r\n", "[generale]\r\nsabbia, 300\r\n[fine]\r\n"};
const definitions kNew{"[generale]\r\nlunghezza percorso, 12000\r\n[fine]\r\n", "[generale]\r\nsabbia, 200\r\n[fine]\r\n"};

compile_result compile(const temp_dir& dir, const definitions& d) {
  scenario_model m;
  m.identity = {"R", "1"};
  return memorizza_percorso(m, 1, definition_texts{d.line, d.train}, dir.str());
}

// Everything in the directory but the definitions: name -> bytes, or
// "<directory>".
std::map<std::string, std::string> outputs(const temp_dir& dir) {
  std::map<std::string, std::string> found;
  for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (e.path().extension() == ".txt") continue;
    found[name] = e.is_directory() ? "<directory>" : testing::read_file(e.path().string());
  }
  return found;
}

// What a failing compile changed among the outputs, e.g.
// "R_1.sim replaced; R_1.sim.part added"; empty when nothing.
std::string changes(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
  std::string found;
  const auto note = [&](const std::string& name, const char* what) {
    found += (found.empty() ? "" : "; ") + name + " " + what;
  };
  for (const auto& [name, bytes] : before) {
    const auto it = after.find(name);
    if (it == after.end()) {
      note(name, "removed");
    } else if (it->second != bytes) {
      note(name, "replaced");
    }
  }
  for (const auto& [name, bytes] : after) {
    if (before.count(name) == 0) note(name, "added");
  }
  return found;
}

// Regular files named "*.part": temporaries of a compile.
int temporaries(const temp_dir& dir) {
  int n = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
    if (e.path().extension() == ".part" && e.is_regular_file()) ++n;
  }
  return n;
}

// A directory holding the old compile's three files.
struct OutputFailure : ::testing::Test {
  temp_dir dir;
  void SetUp() override {
    ASSERT_EQ(compile(dir, kOld).files.size(), 3u);
    const auto old_set = outputs(dir);
    temp_dir other;
    ASSERT_EQ(compile(other, kNew).files.size(), 3u);
    const auto new_set = outputs(other);
    for (const char* name : {kPlan, kItems, kCells}) ASSERT_NE(old_set.at(name), new_set.at(name)) << name;
  }
};

TEST_F(OutputFailure, ReadOnlyDirectoryKeepsOldSet) {
  fs::permissions(dir.path(), fs::perms(0555));
  // Permissions do not stop a privileged user (root in a container).
  const std::string probe = dir.file("probe");
  write_file(probe, "x");
  const bool writable = access(dir.str().c_str(), W_OK) == 0 || fs::exists(probe);
  fs::remove(probe);
  if (writable) {
    fs::permissions(dir.path(), fs::perms(0755));
    GTEST_SKIP() << "running with privileges that ignore directory permissions; "
                    "UncreatableTemporaryFileKeepsOldSet covers the failure instead";
  }
  fs::permissions(dir.path(), fs::perms(0755));
  const auto before = outputs(dir);
  fs::permissions(dir.path(), fs::perms(0555));

  EXPECT_THROW(compile(dir, kNew), file_error);
  fs::permissions(dir.path(), fs::perms(0755));
  EXPECT_EQ(changes(before, outputs(dir)), "");
  EXPECT_EQ(temporaries(dir), 0);
}

// Each compiled file in turn cannot be created: a directory stands where its
// temporary file goes.
TEST_F(OutputFailure, UncreatableTemporaryFileKeepsOldSet) {
  for (const char* name : {kPlan, kItems, kCells}) {
    SCOPED_TRACE(name);
    temp_dir d;
    ASSERT_EQ(compile(d, kOld).files.size(), 3u);
    fs::create_directory(d.file(std::string(name) + ".part"));
    const auto before = outputs(d);
    EXPECT_THROW(compile(d, kNew), file_error);
    EXPECT_EQ(changes(before, outputs(d)), "");
    EXPECT_EQ(temporaries(d), 0);
  }
}

// A directory where a compiled file goes: the temporaries are written, and
// replacing that file fails.
void put_directory_in_place_of(const temp_dir& d, const char* name) {
  ASSERT_EQ(compile(d, kOld).files.size(), 3u);
  fs::remove(d.file(name));
  fs::create_directory(d.file(name));
}

TEST_F(OutputFailure, DirectoryInPlaceOfOutputFailsWithoutTemporaries) {
  for (const char* name : {kPlan, kItems, kCells}) {
    SCOPED_TRACE(name);
    temp_dir d;
    put_directory_in_place_of(d, name);
    EXPECT_THROW(compile(d, kNew), file_error);
    EXPECT_TRUE(fs::is_directory(d.file(name)));
    EXPECT_EQ(temporaries(d), 0);
  }
}

TEST_F(OutputFailure, DirectoryInPlaceOfOutputKeepsOldSet) {
  for (const char* name : {kPlan, kItems, kCells}) {
    SCOPED_TRACE(name);
    temp_dir d;
    put_directory_in_place_of(d, name);
    const auto before = outputs(d);
    EXPECT_THROW(compile(d, kNew), file_error);
    EXPECT_EQ(changes(before, outputs(d)), "");
    EXPECT_EQ(temporaries(d), 0);
  }
}

// A replacement that fails halfway, after other old files were already
// moved aside: a non-empty directory where an old file would be set aside.
// Every step done so far is undone.
TEST_F(OutputFailure, ReplacementFailingHalfwayPutsTheOldSetBack) {
  for (const char* name : {kItems, kCells}) {
    SCOPED_TRACE(name);
    const std::string blocker = dir.file(std::string(name) + ".prev");
    fs::create_directory(blocker);
    write_file(blocker + "/keep", "x");
    const auto before = outputs(dir);
    EXPECT_THROW(compile(dir, kNew), file_error);
    EXPECT_EQ(changes(before, outputs(dir)), "");
    EXPECT_EQ(temporaries(dir), 0);
    fs::remove_all(blocker);
  }
}

// The disk fills up while the route plan is written: the old set stays.
// The temporary file of the plan leads to a device that refuses every
// write. (That the thread computing the pieces stops: below.)
TEST_F(OutputFailure, FullDiskWhileThePlanIsWrittenKeepsOldSet) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const auto before = outputs(dir);
  fs::create_symlink("/dev/full", dir.file(std::string(kPlan) + ".part"));
  try {
    compile(dir, kNew);
    ADD_FAILURE() << "the compile went through";
  } catch (const file_error& e) {
    EXPECT_NE(std::string(e.what()).find("impossibile scrivere"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::is_symlink(dir.file(std::string(kPlan) + ".part")));  // the temporary is gone
  EXPECT_EQ(changes(before, outputs(dir)), "");
}

// Pieces come in any order and land at their offsets; what the encoder
// throws reaches the caller, and its temporary file is removed.
TEST(OutputPieces, LandAtTheirOffsetsOrPassOnTheEncodersFailure) {
  temp_dir d;
  {
    output_set out(d.str());
    out.write_pieces("a.dat", 12, [](const piece_writer& w) {
      for (const auto& [offset, text] : {std::pair<uint64_t, std::string>{6, "world"}, {0, "hello "}, {11, "!"}}) {
        std::string bytes = text;
        w(offset, bytes);
        EXPECT_TRUE(bytes.empty());
      }
    });
    out.commit();
  }
  EXPECT_EQ(testing::read_file(d.file("a.dat")), "hello world!");
  {
    output_set out(d.str());
    EXPECT_THROW(out.write_pieces("b.dat", 1000000,
                                  [](const piece_writer& w) {
                                    for (uint64_t at = 0; at < 10; ++at) {
                                      std::string bytes(100000, 'x');
                                      w(at * 100000, bytes);
                                    }
                                    throw std::runtime_error("guasto");
                                  }),
                 std::runtime_error);
  }
  EXPECT_EQ(testing::names_in(d), std::set<std::string>{"a.dat"});
}

// A write fails: the thread encoding the pieces stops at its next piece
// instead of encoding the rest of the file for nothing.
TEST(OutputPieces, AFailedWriteStopsTheEncoder) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  temp_dir d;
  fs::create_symlink("/dev/full", d.file("a.dat.part"));
  constexpr uint64_t kPieces = 1000;
  int handed = 0;  // pieces the writer took; read once the encoder is joined
  output_set out(d.str());
  EXPECT_THROW(out.write_pieces("a.dat", kPieces * 10,
                                [&](const piece_writer& w) {
                                  for (uint64_t i = 0; i < kPieces; ++i) {
                                    std::string bytes(10, 'x');
                                    w(i * 10, bytes);
                                    ++handed;
                                  }
                                }),
               file_error);
  // The piece that failed and the few waiting behind it.
  EXPECT_LE(handed, 4);
}

// A writer slower than its encoder holds the encoder back: a few pieces
// wait at most, so the file is never held whole. The temporary file is a
// pipe, read only once the encoder has had time to run ahead.
TEST(OutputPieces, ASlowWriterHoldsTheEncoderBack) {
  temp_dir d;
  const std::string pipe = d.file("a.dat.part");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Opened before the writer, so that its open does not wait for a reader.
  const int fd = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(fcntl(fd, F_SETFL, 0), 0);
  constexpr size_t kPieces = 16;
  constexpr size_t kPiece = 256 * 1024;  // more than a pipe holds
  std::atomic<int> handed{0};
  int handed_before_reading = 0;
  size_t read_bytes = 0;
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    handed_before_reading = handed;
    std::vector<char> buffer(kPiece);
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) read_bytes += static_cast<size_t>(n);
  });
  output_set out(d.str());
  out.write_pieces("a.dat", kPieces * kPiece, [&](const piece_writer& w) {
    for (size_t i = 0; i < kPieces; ++i) {
      std::string bytes(kPiece, 'x');
      w(i * kPiece, bytes);
      ++handed;
    }
  });
  reader.join();
  ::close(fd);
  // The piece being written and those waiting behind it.
  EXPECT_LE(handed_before_reading, 4);
  EXPECT_EQ(read_bytes, kPieces * kPiece);
}

TEST_F(OutputFailure, ReservedFieldFaultKeepsOldSet) {
  const auto before = outputs(dir);
  // A signal at 0 sets cell 1's info1: fault 1250.
  const compile_result result =
      compile(dir, {kNew.line, "[generale]\r\nsegnale, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0\r\n[fine]\r\n"});
  EXPECT_EQ(result.outcome.reserved, kFormatMarkFault);
  EXPECT_EQ(changes(before, outputs(dir)), "");
  EXPECT_EQ(temporaries(dir), 0);
}

}  // namespace
}  // namespace scenario
