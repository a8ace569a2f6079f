// The reader every command takes the definitions through: only regular
// files, never more than the limit, and why a file was not read.
#include "model/definition_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "model/test_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scenario {
namespace {

using testing::temp_dir;
using testing::write_file;
namespace fs = std::filesystem;

TEST(DefinitionFiles, ReadsRegularFilesAndSaysWhyItReadsNothingElse) {
  temp_dir dir;
  write_file(dir.file("testo.txt"), std::string("a\0b\r\n", 5));
  write_file(dir.file("vuoto.txt"), "");
  fs::create_directory(dir.file("cartella.txt"));
  // Exactly the limit is read; one byte more is not. Sparse: nothing written.
  write_file(dir.file("al_limite.txt"), "");
  fs::resize_file(dir.file("al_limite.txt"), kLargestReadFile);
  write_file(dir.file("oltre.txt"), "");
  fs::resize_file(dir.file("oltre.txt"), kLargestReadFile + 1);
  // A pipe with no writer: opening it must not wait for one.
  ASSERT_EQ(mkfifo(dir.file("pipe.txt").c_str(), 0600), 0);
  struct file_case {
    const char* name;
    read_problem problem;
    size_t size;
  };
  const file_case cases[] = {
      {"testo.txt", read_problem::none, 5},
      {"vuoto.txt", read_problem::none, 0},
      {"al_limite.txt", read_problem::none, kLargestReadFile},
      {"assente.txt", read_problem::missing, 0},
      {"assente/dentro.txt", read_problem::missing, 0},
      {"testo.txt/dentro.txt", read_problem::missing, 0},
      {"cartella.txt", read_problem::not_a_file, 0},
      {"oltre.txt", read_problem::too_large, 0},
      {"pipe.txt", read_problem::not_a_file, 0},
  };
  for (const file_case& c : cases) {
    SCOPED_TRACE(c.name);
    const file_read read = read_file(dir.file(c.name));
    EXPECT_EQ(read.problem, c.problem);
    EXPECT_EQ(read.text.has_value(), c.problem == read_problem::none);
    EXPECT_EQ(read.text.value_or("").size(), c.size);
    EXPECT_EQ(read_whole_file(dir.file(c.name)).has_value(), c.problem == read_problem::none);
    EXPECT_EQ(std::string(read_problem_words(c.problem)).empty(), c.problem == read_problem::none);
  }
  EXPECT_EQ(*read_file(dir.file("testo.txt")).text, std::string("a\0b\r\n", 5));
  // A file read with a limit of its own (a program file may be larger
  // than any definition).
  EXPECT_EQ(read_file(dir.file("oltre.txt"), kLargestReadFile + 1).text.value_or("").size(), kLargestReadFile + 1);
  EXPECT_EQ(read_file(dir.file("testo.txt"), 4).problem, read_problem::too_large);
}

TEST(DefinitionFiles, AFolderOrPipeNamedLikeADefinitionIsNotReadAsAnEmptyOne) {
  temp_dir dir;
  fs::create_directory(dir.file(line_definition_name("Valle")));
  ASSERT_EQ(mkfifo(dir.file(train_definition_name("Valle", "101")).c_str(), 0600), 0);
  const definition_reads reads = read_definition_files(dir.str(), "Valle", "101");
  EXPECT_EQ(reads.line, read_problem::not_a_file);
  EXPECT_EQ(reads.train, read_problem::not_a_file);
  const definition_texts texts = read_definitions(dir.str(), "Valle", "101");
  EXPECT_FALSE(texts.line);
  EXPECT_FALSE(texts.train);
}

// Out of descriptors, a file that is there is not called missing. The
// limit is lowered for this process alone, and each test runs in its own.
TEST(DefinitionFiles, OutOfDescriptorsIsNotMissing) {
  temp_dir dir;
  write_file(dir.file("testo.txt"), "x");
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
  rlimit low = before;
  low.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> held;
  for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) held.push_back(fd);
  const file_read read = read_file(dir.file("testo.txt"));
  for (int fd : held) ::close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
  EXPECT_EQ(read.problem, read_problem::no_descriptors);
  EXPECT_EQ(read_file(dir.file("testo.txt")).problem, read_problem::none);
}

}  // namespace
}  // namespace scenario
