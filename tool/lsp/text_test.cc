#include <gtest/gtest.h>

#include <string>

#include "model/ansi_text.h"
#include "model/record_fields.h"
#include "tool/lsp/text.h"

namespace scenario::tool {
namespace {

TEST(LspText, FieldEndsByTheReadersRules) {
  struct row {
    const char* line;
    size_t begin;
    field_type type;
    const char* field;
  } const rows[] = {
      {"stazione,    4000,    4,    350,  0", 0, field_type::text, "stazione"},
      {"stazione,    4000,    4,    350,  0", 28, field_type::unknown, "350"},
      {"stazione,    4000,    4,    350,  0", 13, field_type::number, "4000"},
      {"orologio,    9               20            30 ", 13, field_type::unknown, "9"},
      {"orologio,    9               20            30 ", 43, field_type::unknown, "30"},
      {"velocita,  0,  12a 5", 15, field_type::unknown, "12a"},          // a bad number ends at a blank
      {"- altitudine iniziale, 410 m", 0, field_type::unknown, "- altitudine iniziale"},
      {"cartello_indicatore,  550,   (CIGNO )(220 m.)   ", 29, field_type::unknown, "(CIGNO )(220 m.)"},
      {"cartello_indicatore,  550,   \"A, B\" , 3", 29, field_type::unknown, "\"A, B\""},
      {"cartello_indicatore,  550,   \"A, B", 29, field_type::text, "\"A, B"},  // no closing quote
      {"indicatori_vmax,  300,  75,  ,  0", 29, field_type::number, ""},         // an empty field
      {"pendenza,\t-24\t", 10, field_type::unknown, "-24"},
      {"[segnali]", 0, field_type::unknown, "[segnali]"},
  };
  for (const row& r : rows) {
    const std::string_view line = r.line;
    const size_t end = field_end(line, r.begin, r.type);
    EXPECT_EQ(line.substr(r.begin, end - r.begin), r.field) << r.line << " @" << r.begin;
  }
}

TEST(LspText, ScansARecordLineByItsKindsFields) {
  const auto kinds = kinds_for_key("stazione", definition_file::train, false);
  ASSERT_EQ(kinds.size(), 1u);
  const std::string line = "stazione,    0, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,48, 0, \"BRENVALO, TERME\"";
  const auto fields = scan_record(line, kinds[0]);
  ASSERT_EQ(fields.size(), 18u);
  EXPECT_EQ(fields[0].text, "stazione");
  EXPECT_EQ(fields[3].text, "400");
  EXPECT_EQ(line.substr(fields[3].begin, fields[3].end - fields[3].begin), "400");
  EXPECT_EQ(fields[15].text, "48");
  EXPECT_EQ(fields[17].text, "BRENVALO, TERME");
  EXPECT_EQ(fields[17].end, line.size());
  // A short line gives the fields it has.
  EXPECT_EQ(scan_record("stazione,  50", kinds[0]).size(), 2u);
}

TEST(LspText, ColumnsOfTheDefinitionAgainstTheEditorsUtf16) {
  // "à" is one byte in the definition, two in UTF-8, one UTF-16 unit; the
  // train emoji has no Windows-1252 byte ('?') and takes two UTF-16 units.
  const std::string editor = "velocit\xC3\xA0\xF0\x9F\x9A\x86,  0, 80";
  const std::string ansi = utf8_to_ansi(editor);
  EXPECT_EQ(ansi, "velocit\xE0?,  0, 80");
  const size_t eighty = ansi.find("80");
  EXPECT_EQ(utf16_column(editor, eighty), eighty + 1);
  EXPECT_EQ(byte_offset(editor, static_cast<uint32_t>(eighty + 1)), eighty);
  EXPECT_EQ(utf16_column(editor, 0), 0u);
  EXPECT_EQ(utf16_column(editor, 1000), 18u);  // past the end: the line's length
  // Every Windows-1252 character comes back as itself.
  std::string all;
  for (int b = 0x20; b < 0x100; ++b) all.push_back(static_cast<char>(b));
  std::string expected = all;
  for (char& c : expected) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) c = '?';  // no character there
  }
  EXPECT_EQ(utf8_to_ansi(ansi_to_utf8(all)), expected);
  // A file read as Latin-1 comes back byte for byte.
  EXPECT_EQ(utf8_to_ansi("\xC2\x80 \xC3\xA0"), "\x80 \xE0");
  // Broken UTF-8 is one '?' a byte, so columns still line up.
  EXPECT_EQ(utf8_to_ansi("a\xC3(\xE2\x82"), "a?(??");
  EXPECT_EQ(split_lines("a\r\nb\nc\rd").size(), 4u);
}

}  // namespace
}  // namespace scenario::tool
