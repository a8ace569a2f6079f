#include "model/packed_scenario.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "model/coding.h"
#include "model/crc32.h"
#include "model/definition_files.h"
#include "model/program_image.h"
#include "model/test_names.h"

namespace scenario {
namespace {

packed_scenario sample() {
  packed_scenario s;
  s.id = {"Valle", "77"};
  s.line_definition = "[generale]\r\nlunghezza, 3000\r\n";
  s.train_definition = "[treno]\r\n";
  s.papers = {{"Valle_77_scheda_treno.txt", std::string("SCHEDA \xe8\r\n", 10)},
              {"Valle_77_note.txt", std::string()}};
  return s;
}

// A program image of `size` bytes the reader takes as it is.
const std::string kImage(4096, '\x90');

// `payload` with a trailer that fits it: size, CRC-32, version 1, mark.
std::string with_trailer(const std::string& payload) {
  std::string out = payload;
  put_u64(&out, payload.size());
  put_u32(&out, crc32(payload));
  put_u32(&out, kPackVersion);
  out.append(kPackMark);
  return out;
}

std::string reason(const carried_scenario& c) {
  const auto* d = std::get_if<damaged_pack>(&c);
  return d ? d->reason : "";
}

TEST(PackedScenario, RoundTripsEveryByte) {
  const packed_scenario s = sample();
  const std::string file = kImage + encode_packed_scenario(s);
  const carried_scenario c = read_packed_scenario(file, kImage.size());
  const auto* read = std::get_if<packed_scenario>(&c);
  ASSERT_NE(read, nullptr) << reason(c);
  EXPECT_EQ(read->id.route_name, "Valle");
  EXPECT_EQ(read->id.train_number, "77");
  EXPECT_EQ(read->line_definition, s.line_definition);
  EXPECT_EQ(read->train_definition, s.train_definition);
  ASSERT_EQ(read->papers.size(), 2u);
  EXPECT_EQ(read->papers[0].bytes, s.papers[0].bytes);
  EXPECT_EQ(read->papers[1].name, "Valle_77_note.txt");
}

TEST(PackedScenario, TrailerBytesAreExact) {
  packed_scenario s;
  s.id = {"R", ""};
  const std::string bytes = encode_packed_scenario(s);
  const std::string_view trailer = std::string_view(bytes).substr(bytes.size() - kPackTrailerSize);
  std::string_view in = trailer;
  uint64_t payload = 0;
  ASSERT_TRUE(get_u64(&in, &payload));
  EXPECT_EQ(payload, bytes.size() - kPackTrailerSize);
  EXPECT_EQ(trailer.substr(12), std::string_view("\x01\0\0\0SCNPACK\x1a", 12));
  // Route "R", train "", two files: the line definition "R_linea.txt" first.
  EXPECT_EQ(bytes.substr(0, 11), std::string("\x01\0R\0\0\x02\0\0\0\x00\x0b", 11));
}

TEST(PackedScenario, ImageAloneIsTheBuiltInScenario) {
  EXPECT_TRUE(std::holds_alternative<no_packed_scenario>(read_packed_scenario(kImage, kImage.size())));
}

TEST(PackedScenario, DamagedOrCutShortIsRefused) {
  const std::string whole = kImage + encode_packed_scenario(sample());
  const size_t end = whole.size();
  struct damage {
    const char* what;
    std::string file;
    const char* reason;
  };
  std::string flipped = whole;
  flipped[kImage.size() + 20] ^= 0x40;
  std::string version = whole;
  version[end - 12] = 2;
  // The trailer says 5 bytes more than there are.
  std::string larger = whole;
  const uint64_t payload = whole.size() - kImage.size() - kPackTrailerSize;
  std::string size;
  put_u64(&size, payload + 5);
  larger.replace(end - kPackTrailerSize, 8, size);
  const std::string declared_larger =
      "dichiara " + std::to_string(payload + 5) + " byte, ne sono presenti " + std::to_string(payload);
  // A whole payload, checksum and all, with bytes after its last file.
  const std::string encoded = encode_packed_scenario(sample());
  const std::string extra = with_trailer(encoded.substr(0, encoded.size() - kPackTrailerSize) + "zz");
  const damage cases[] = {
      {"cut by one byte", whole.substr(0, end - 1), "incompleto"},
      {"cut inside the payload", whole.substr(0, kImage.size() + 30), "incompleto"},
      {"only a few bytes appended", whole.substr(0, kImage.size() + 3), "incompleto"},
      {"a byte altered", flipped, "somma di controllo"},
      {"a later version", version, "versione 2"},
      {"bytes between image and payload", kImage + "xx" + encode_packed_scenario(sample()), "dichiara"},
      {"a declared size larger than what is there", larger, declared_larger.c_str()},
      {"bytes after the last file", kImage + extra, "byte in piu' dopo l'ultimo file"},
  };
  for (const damage& d : cases) {
    const carried_scenario c = read_packed_scenario(d.file, kImage.size());
    EXPECT_NE(reason(c).find(d.reason), std::string::npos) << d.what << ": " << reason(c);
  }
}

TEST(PackedScenario, NamesThatWouldLeaveTheFolderOrTakeAScenarioFileAreRefused) {
  for (const char* name : {"../fuori.txt", "sub/x.txt", "a\\b.txt", "", "VALLE_77.DAT", "Valle_linea.txt",
                           "Valle_77_note.txt"}) {
    packed_scenario s = sample();
    s.papers.push_back({name, "x"});
    const carried_scenario c = read_packed_scenario(kImage + encode_packed_scenario(s), kImage.size());
    EXPECT_NE(reason(c).find("non valido"), std::string::npos) << name << ": " << reason(c);
  }
  packed_scenario bad_id = sample();
  bad_id.id.route_name = "a/b";
  EXPECT_NE(reason(read_packed_scenario(kImage + encode_packed_scenario(bad_id), kImage.size())).find("non valido"),
            std::string::npos);
}

// A paper's name the program would take for another file (its own, the
// author's, a device) is refused as `pack` refuses it.
TEST(PackedScenario, PaperNamesTakenForAnotherFileAreRefused) {
  for (const testing::refused_name& r : testing::kRefusedPaperNames) {
    packed_scenario s = sample();
    s.papers.push_back({r.name, "x"});
    const std::string why = reason(read_packed_scenario(kImage + encode_packed_scenario(s), kImage.size()));
    EXPECT_NE(why.find("non valido"), std::string::npos) << '"' << r.name << "\": " << why;
    EXPECT_NE(why.find(r.reason), std::string::npos) << '"' << r.name << "\": " << why;
    EXPECT_TRUE(packed_names_problem(s).has_value()) << r.name;
  }
  // Nor any file that is not one of the scenario's papers.
  for (const char* name : {"LEGGIMI.txt", "Valle_77_.txt", "Valle_77_note.doc", "Altra_77_note.txt",
                           "Valle_7_note.txt", "Valle_77_scheda"}) {
    packed_scenario s = sample();
    s.papers.push_back({name, "x"});
    const std::string why = reason(read_packed_scenario(kImage + encode_packed_scenario(s), kImage.size()));
    EXPECT_NE(why.find("non e' quello di un foglio dello scenario"), std::string::npos) << name << ": " << why;
  }
  for (const char* name : {"Valle_77_rallentamenti.txt", "Valle_77_orario.txt", "Valle_77_note.txt.1.txt"}) {
    packed_scenario s = sample();
    s.papers.push_back({name, "x"});
    const carried_scenario c = read_packed_scenario(kImage + encode_packed_scenario(s), kImage.size());
    EXPECT_TRUE(std::holds_alternative<packed_scenario>(c)) << name << ": " << reason(c);
  }
}

TEST(ProgramImage, ThisTestProgramEndsWithItsImage) {
  const std::optional<std::string> self = read_whole_file("/proc/self/exe", kLargestProgramFile);
  ASSERT_TRUE(self.has_value());
  EXPECT_EQ(read_program_image(*self)->end, self->size());
  EXPECT_EQ(read_program_image(*self + "appended")->end, self->size());
}

// A PE file: DOS stub pointing at "PE\0\0", a COFF header with one section
// of 0x100 raw bytes at 0x200 and a symbol table of two symbols at 0x300
// followed by an 8-byte string table.
std::string small_pe(uint32_t symbols_at) {
  std::string f(0x340, '\0');
  f[0] = 'M';
  f[1] = 'Z';
  f[0x3c] = 0x40;
  f.replace(0x40, 4, std::string("PE\0\0", 4));
  const size_t coff = 0x44;
  f[coff + 2] = 1;  // one section
  f[coff + 8] = static_cast<char>(symbols_at & 0xff);
  f[coff + 9] = static_cast<char>(symbols_at >> 8);
  f[coff + 12] = 2;     // two symbols
  f[coff + 16] = 0x70;  // optional header size
  const size_t section = coff + 20 + 0x70;
  f[section + 17] = 0x01;  // SizeOfRawData 0x100
  f[section + 21] = 0x02;  // PointerToRawData 0x200
  if (symbols_at != 0) f[symbols_at + 36] = 8;
  return f;
}

TEST(ProgramImage, PortableExecutableEndsAfterSectionsAndSymbols) {
  EXPECT_EQ(read_program_image(small_pe(0))->end, 0x300u);
  EXPECT_EQ(read_program_image(small_pe(0x300))->end, 0x300u + 36 + 8);
  std::string cut = small_pe(0);
  cut.resize(0x2ff);  // the section reaches past the end: not a whole program
  EXPECT_FALSE(read_program_image(cut).has_value());
  EXPECT_FALSE(read_program_image("not a program").has_value());
}

}  // namespace
}  // namespace scenario
