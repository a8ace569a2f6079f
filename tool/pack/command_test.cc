// scenario pack: the program it makes, run in a fresh folder, writes what
// compile writes; the zip holds the scenario's files; what it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <variant>

#include "model/coding.h"
#include "model/crc32.h"
#include "model/packed_scenario.h"
#include "model/program_image.h"
#include "model/program_scenario.h"
#include "model/test_files.h"
#include "model/test_programs.h"
#include "tool/commands.h"
#include "tool/pack/own_program.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing::names_in;
using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

// The example definitions under the author's own names.
struct author_folder {
  explicit author_folder(std::string route_name = "Valle") : route(std::move(route_name)) {
    EXPECT_EQ(run_command(run_example, {dir.str(), "--route", route, "--train", "77"}).status, 0);
  }
  tool_run pack(const std::string& target, std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {dir.str(), "--route", route, "--train", "77", "-o", target};
    args.insert(args.end(), more.begin(), more.end());
    return run_command(run_pack, args);
  }
  std::string route;
  temp_dir dir;
};

// The entries of a zip of stored files, read from the local headers, each
// checked against its CRC.
std::map<std::string, std::string> unzip(std::string_view zip) {
  std::map<std::string, std::string> entries;
  uint32_t signature = 0;
  while (get_u32(&zip, &signature) && signature == 0x04034b50) {
    uint16_t version, flags, method, time, date, name_size, extra_size;
    uint32_t crc, size, original;
    get_u16(&zip, &version), get_u16(&zip, &flags), get_u16(&zip, &method), get_u16(&zip, &time);
    get_u16(&zip, &date), get_u32(&zip, &crc), get_u32(&zip, &size), get_u32(&zip, &original);
    get_u16(&zip, &name_size), get_u16(&zip, &extra_size);
    EXPECT_EQ(method, 0);
    EXPECT_EQ(size, original);
    const std::string name(zip.substr(0, name_size));
    const std::string bytes(zip.substr(name_size + extra_size, size));
    EXPECT_EQ(crc32(bytes), crc) << name;
    entries[name] = bytes;
    zip.remove_prefix(name_size + extra_size + size);
  }
  EXPECT_EQ(signature, 0x02014b50u);  // the central directory follows
  return entries;
}

TEST(ToolPack, PackedProgramRunInAFreshFolderWritesWhatCompileAndDocumentiWrite) {
  author_folder author;
  temp_dir out, fresh;
  const std::string program = fresh.file("Valle_77");
  const tool_run packed = author.pack(program);
  ASSERT_EQ(packed.status, 0) << packed.err;
  EXPECT_EQ(std::system(("cd " + fresh.str() + " && ./Valle_77 2>/dev/null").c_str()), 0);

  ASSERT_EQ(run_command(run_compile, {author.dir.str(), "--route", "Valle", "--train", "77"}).status, 0);
  ASSERT_EQ(run_command(run_documenti, {author.dir.str(), "--route", "Valle", "--train", "77"}).status, 0);
  std::set<std::string> expected = {"Valle_77"};
  for (const std::string& name : names_in(author.dir)) {
    if (name == "Valle_linea.txt" || name == "Valle_77-.txt") continue;
    expected.insert(name);
    EXPECT_EQ(read_file(fresh.file(name)), read_file(author.dir.file(name))) << name;
  }
  EXPECT_EQ(names_in(fresh), expected);
  EXPECT_EQ(expected.size(), 7u);  // the program, three compiled files, three papers
}

TEST(ToolPack, ZipHoldsCompiledFilesDefinitionsAndReadme) {
  author_folder author;
  temp_dir out;
  ASSERT_EQ(author.pack(out.file("valle.zip"), {"--sosta", "40"}).status, 0);
  const std::map<std::string, std::string> entries = unzip(read_file(out.file("valle.zip")));
  ASSERT_EQ(run_command(run_compile, {author.dir.str(), "--route", "Valle", "--train", "77"}).status, 0);
  ASSERT_EQ(run_command(run_documenti, {author.dir.str(), "--route", "Valle", "--train", "77", "--sosta", "40"}).status,
            0);
  EXPECT_EQ(entries.size(), 9u);
  for (const std::string& name : names_in(author.dir)) {
    ASSERT_EQ(entries.count("Valle_77/" + name), 1u) << name;
    EXPECT_EQ(entries.at("Valle_77/" + name), read_file(author.dir.file(name))) << name;
  }
  const std::string& readme = entries.at("Valle_77/LEGGIMI.txt");
  EXPECT_NE(readme.find("Valle_77.sim"), std::string::npos);
  EXPECT_NE(readme.find("\r\n"), std::string::npos);
  // The same definitions always give the same archive.
  ASSERT_EQ(author.pack(out.file("again.zip"), {"--sosta", "40"}).status, 0);
  EXPECT_EQ(read_file(out.file("again.zip")), read_file(out.file("valle.zip")));
}

TEST(ToolPack, RefusesAndWritesNothing) {
  author_folder author;
  temp_dir out;
  write_file(out.file("esiste.exe"), "di un altro");
  const tool_run existing = author.pack(out.file("esiste.exe"));
  EXPECT_EQ(existing.status, 2);
  EXPECT_NE(existing.err.find("esiste gia'"), std::string::npos);
  EXPECT_EQ(read_file(out.file("esiste.exe")), "di un altro");

  // The tool itself holds no reader of packed scenarios.
  const std::string tool = fs::path(program_beside_tool()).replace_filename("scenario").string();
  const tool_run not_program = author.pack(out.file("a"), {"--program", tool});
  EXPECT_EQ(not_program.status, 2);
  EXPECT_NE(not_program.err.find("non e' il programma dello scenario"), std::string::npos) << not_program.err;
  EXPECT_EQ(author.pack(out.file("b"), {"--program", out.file("manca")}).status, 2);
  EXPECT_EQ(author.pack(out.file("d"), {"--sosta", "molta"}).status, 2);

  std::string line = read_file(author.dir.file("Valle_linea.txt"));
  line.replace(line.find("curvas5"), 7, "curvas0");
  write_file(author.dir.file("Valle_linea.txt"), line);
  const tool_run fault = author.pack(out.file("c.zip"));
  EXPECT_EQ(fault.status, 1);
  EXPECT_NE(fault.err.find("errore 103"), std::string::npos) << fault.err;
  EXPECT_EQ(names_in(out), std::set<std::string>{"esiste.exe"});
}

// A route name that makes one of the files a device name on Windows: the
// packed program would refuse it, so pack writes nothing.
TEST(ToolPack, RefusesNamesItsProgramWouldRefuse) {
  for (const char* route : {"NUL.a", "CON.1", "COM1.x", "aux.txt", "LPT9.txt"}) {
    author_folder author(route);
    temp_dir out;
    for (const char* target : {"p", "p.zip"}) {
      const tool_run run = author.pack(out.file(target));
      EXPECT_EQ(run.status, 2) << route;
      EXPECT_NE(run.err.find("dispositivo"), std::string::npos) << route << ": " << run.err;
    }
    EXPECT_TRUE(names_in(out).empty()) << route;
  }
}

// A name outside ASCII is stored in UTF-8 with the flag that says so, in
// the local header and in the central directory alike.
TEST(ToolPack, ZipNamesOutsideAsciiAreFlaggedUtf8) {
  author_folder author("Citt\xc3\xa0");
  temp_dir out;
  ASSERT_EQ(author.pack(out.file("c.zip")).status, 0);
  const std::string zip = read_file(out.file("c.zip"));
  const std::map<std::string, std::string> entries = unzip(zip);
  EXPECT_EQ(entries.count("Citt\xc3\xa0_77/Citt\xc3\xa0_linea.txt"), 1u);
  // Signature and where the flags stand in a local header, in a central
  // directory entry.
  const std::pair<std::string_view, size_t> headers[] = {{std::string_view("PK\x03\x04", 4), 6},
                                                         {std::string_view("PK\x01\x02", 4), 8}};
  size_t counts[2] = {0, 0};
  for (size_t at = 0; at + 10 < zip.size(); ++at) {
    for (size_t h = 0; h < 2; ++h) {
      if (std::string_view(zip).substr(at, 4) != headers[h].first) continue;
      ++counts[h];
      EXPECT_EQ(std::string_view(zip).substr(at + headers[h].second, 2), std::string_view("\x00\x08", 2)) << at;
    }
  }
  const size_t local = counts[0], central = counts[1];
  EXPECT_EQ(local, 9u);
  EXPECT_EQ(central, 9u);
}

TEST(ToolPack, ProgramOverTheLimitIsNamedAsSuch) {
  author_folder author;
  temp_dir out;
  const std::string big = out.file("grande.exe");
  write_file(big, "MZ");
  fs::resize_file(big, kLargestProgramFile + 1);  // sparse: no disk used
  const tool_run run = author.pack(out.file("p"), {"--program", big});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("supera 512 MiB"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out.file("p")));
}

// A signed Windows program is packed without its signature, which could
// not cover the scenario; the packed program, signed in turn, still
// carries it.
TEST(ToolPack, SignedProgramIsPackedWithoutItsSignature) {
  author_folder author;
  temp_dir out;
  const std::string section =
      "programma " + std::string(SCENARIO_PACK_READER_MARK_HEAD) + SCENARIO_PACK_READER_MARK_TAIL;
  const std::string program = scenario::testing::test_pe(section);
  write_file(out.file("firmato.exe"), scenario::testing::signed_copy(program));
  ASSERT_EQ(author.pack(out.file("Valle_77.exe"), {"--program", out.file("firmato.exe")}).status, 0);
  const std::string packed = read_file(out.file("Valle_77.exe"));
  EXPECT_EQ(packed.substr(0, program.size()), program);  // the security directory cleared again
  const auto image = read_program_image(packed);
  ASSERT_TRUE(image.has_value());
  EXPECT_FALSE(image->certificates.has_value());
  for (const std::string& file : {packed, scenario::testing::signed_copy(packed)}) {
    const carried_scenario carried = scenario_in_program_file(file);
    const auto* s = std::get_if<packed_scenario>(&carried);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->id.route_name, "Valle");
    EXPECT_EQ(s->papers.size(), 3u);
  }
}

}  // namespace
}  // namespace scenario::tool
