// Hover, completion and outline read a definition as the loaders do
// (model/record_scan), not line by line.
#include "tool/lsp/language.h"

#include <gtest/gtest.h>

#include <string>

#include "tool/lsp/field_ends.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

constexpr char kTrain[] =
    "[generale]\n"
    "velocita - vecchia, 0, 80\n"       // 1: "-" in the key: a comment, as the loader takes it
    "x-y, 1\n"                          // 2: a comment, then "1" read as a key
    "segnale - nord, 5950, 1\n"         // 3: a comment, though it begins like a signal
    "[stazioni] - le stazioni\n"        // 4: a comment, no section
    "rallentamento, 4850, 60,\n"        // 5: short: its fields read on into line 6
    "  300, 0, 0, 0\n"                  // 6
    "- nota, stazione, 100\n";          // 7: after the comment's comma a record's key

std::string hover_value(uint32_t line, uint32_t character) {
  const json h = hover_at(definition_file::train, kTrain, {line, character});
  return h.is_null() ? "" : h["contents"]["value"].get<std::string>();
}

TEST(LspLanguage, ReadsCommentsAndShortRecordsAsTheLoader) {
  const std::string comment = "commento: ignorato (una virgola farebbe leggere come chiave cio' che la segue)";
  const std::string unknown = "campo che non corrisponde a nessuna chiave: ignorato";
  struct row {
    uint32_t line, character;
    std::string starts;  // what the hover begins with
  } const rows[] = {
      {1, 2, comment},  // was the speed record's hover
      {1, 21, unknown},
      {2, 1, comment},  // was "campo che non corrisponde" for "x-y"
      {2, 5, unknown},
      {3, 2, comment},  // was the signal's hover
      {4, 2, comment},  // was the header's
      {6, 3, "**rallentamento**: rallentamento temporaneo (definizione del treno)\n\ncampo 3 di 6, `l`"},  // was none
      {7, 9, "**stazione**"},  // was the comment's
  };
  for (const row& r : rows) {
    EXPECT_EQ(hover_value(r.line, r.character).substr(0, r.starts.size()), r.starts) << r.line << ":" << r.character;
  }
  // The outline: no section from a comment, the short record's lines as one.
  const json symbols = document_symbols(definition_file::train, kTrain);
  ASSERT_EQ(symbols.size(), 1u) << symbols.dump();
  ASSERT_EQ(symbols[0]["children"].size(), 1u) << symbols.dump();
  EXPECT_EQ(symbols[0]["children"][0]["name"], "rallentamento 4850 m");
  EXPECT_EQ(symbols[0]["children"][0]["range"], json::parse(R"({"start":{"line":5,"character":0},"end":{"line":6,"character":14}})"));
  // Keys are offered where the reader takes a key: after a comment's comma
  // too, never in a record's fields.
  EXPECT_FALSE(completion_at(definition_file::train, kTrain, {7, 10}).empty());
  EXPECT_TRUE(completion_at(definition_file::train, kTrain, {5, 24}).empty());
  EXPECT_TRUE(completion_at(definition_file::train, kTrain, {6, 5}).empty());
}

// A finding's range runs to the end of the field the reader reads there.
TEST(LspLanguage, AFindingsFieldEndsWhereTheReaderEndsIt) {
  const field_ends ends("[generale]\r\ncartello_indicatore, 550, 261 m, x\r\n  velocita,  0 , 8O x\r\n",
                        definition_file::line);
  struct row {
    field_site at;
    field_site end;
  } const rows[] = {
      {{2, 22}, {2, 25}},  // a number
      {{2, 27}, {2, 32}},  // a text that begins with a digit: to its comma (was "261")
      {{2, 5}, {2, 20}},   // a character inside the key: to the key's end
      {{3, 1}, {3, 11}},   // blanks before a key: to the key's end
      {{1, 11}, {1, 11}},  // past every field of the line: nothing
      {{9, 1}, {9, 1}},    // past the text
  };
  for (const row& r : rows) {
    const field_site got = ends.end_of(r.at);
    EXPECT_EQ(got.line, r.end.line) << r.at.line << ":" << r.at.column;
    EXPECT_EQ(got.column, r.end.column) << r.at.line << ":" << r.at.column;
  }
}

}  // namespace
}  // namespace scenario::tool
