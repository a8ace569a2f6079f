#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/line_document_testing.h"
#include "content/train_definition.h"
#include "documents/scenario_notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_card.h"
#include "model/identity.h"

namespace scenario {
namespace {

using testing::split_crlf;

using LinesFn = std::span<const std::string_view> (*)();

struct LengthRange {
  int first;
  int last;
  std::size_t length;
};

struct DocumentCase {
  const char* name;
  LinesFn lines;
  std::optional<std::size_t> bytes;  // the notes' credit lines are free text
  std::size_t line_count;
  std::string_view last_line;  // empty: free text, checked by NotesLayout
  std::vector<LengthRange> lengths;  // in bytes; the notes' "a grave" is one byte
};

const std::vector<DocumentCase>& document_cases() {
  static const std::vector<DocumentCase> cases = {
      {"train card",
       train_card_lines,
       2186,
       32,
       "Nota: Nella colonna Orario il simbolo '+' indica 'mezzo minuto'.",
       {{1, 2, 0},
        {3, 3, 82},
        {4, 7, 83},
        {8, 8, 56},
        {9, 9, 64},
        {10, 11, 57},
        {12, 12, 0},
        {13, 13, 82},
        {14, 29, 83},
        {30, 31, 0},
        {32, 32, 64}}},
      {"slowdown order",
       slowdown_order_lines,
       2869,
       41,
       "     i giorni esclusi i seguenti:.........",
       {{1, 1, 0},
        {2, 2, 42},
        {3, 3, 50},
        {4, 4, 81},
        {5, 5, 30},
        {6, 6, 0},
        {7, 7, 80},
        {8, 8, 81},
        {9, 34, 82},
        {35, 35, 0},
        {36, 36, 37},
        {37, 37, 63},
        {38, 38, 42},
        {39, 39, 49},
        {40, 40, 58},
        {41, 41, 42}}},
      {"scenario notes",
       scenario_notes_lines,
       std::nullopt,
       23,
       {},
       {{1, 1, 63},
        {2, 2, 0},
        {3, 3, 21},
        {4, 4, 0},
        {5, 5, 71},
        {6, 6, 75},
        {7, 7, 70},
        {8, 8, 19},
        {9, 9, 63},
        {10, 10, 79},
        {11, 11, 30},
        {12, 12, 71},
        {13, 13, 75},
        {14, 14, 66},
        {15, 15, 74},
        {16, 16, 45},
        {17, 17, 0},
        {21, 21, 0}}},
  };
  return cases;
}

TEST(DriverDocument, LinesSizesAndEndings) {
  for (const DocumentCase& c : document_cases()) {
    SCOPED_TRACE(c.name);
    const std::span<const std::string_view> table = c.lines();
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.back(), kEndMarker);

    const std::string bytes = line_document_bytes(table);
    if (c.bytes) {
      EXPECT_EQ(bytes.size(), *c.bytes);
    }
    EXPECT_EQ(bytes.find(kEndMarker), std::string::npos);

    const std::vector<std::string> lines = split_crlf(bytes);
    ASSERT_EQ(lines.size(), c.line_count);
    if (!c.last_line.empty()) {
      EXPECT_EQ(lines.back(), c.last_line);
    }
    for (const LengthRange& r : c.lengths) {
      for (int n = r.first; n <= r.last; ++n) {
        EXPECT_EQ(lines[n - 1].size(), r.length) << "line " << n << ": \"" << lines[n - 1] << '"';
      }
    }
  }
}

TEST(DriverDocument, OnlyTheNotesCarryOneByteOutsideAscii) {
  const LinesFn tables[] = {line_definition_lines, train_definition_lines, train_card_lines, slowdown_order_lines,
                            scenario_notes_lines};
  for (LinesFn table : tables) {
    const std::string bytes = line_document_bytes(table());
    const bool notes = table == scenario_notes_lines;
    std::size_t high = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (static_cast<unsigned char>(bytes[i]) < 0x80) continue;
      ++high;
      EXPECT_TRUE(notes) << "byte outside ASCII at offset " << i;
      EXPECT_EQ(static_cast<unsigned char>(bytes[i]), 0xE0) << "offset " << i;
    }
    EXPECT_EQ(high, notes ? 1u : 0u);
  }
  const std::vector<std::string> notes = split_crlf(line_document_bytes(scenario_notes_lines()));
  ASSERT_EQ(notes.size(), 23u);
  EXPECT_EQ(notes[9], " - Le condizioni di aderenza tengono conto dell'umidit\xE0 del tratto di montagna,");
}

// The "|" of every table row stand where the column widths put them.
TEST(DriverDocument, TableColumnsLineUp) {
  struct TableCase {
    LinesFn lines;
    int first;
    int last;
    std::vector<std::size_t> borders;
  };
  const TableCase cases[] = {
      {train_card_lines, 14, 29, {1, 7, 13, 24, 30, 59, 76, 82}},  // widths 5, 5, 10, 5, 28, 16, 5
      {slowdown_order_lines, 9, 34, {1, 5, 34, 47, 58, 68, 81}},   // widths 3, 28, 12, 10, 9, 12
  };
  for (const TableCase& c : cases) {
    const std::vector<std::string> lines = split_crlf(line_document_bytes(c.lines()));
    ASSERT_GE(lines.size(), static_cast<std::size_t>(c.last));
    for (int n = c.first; n <= c.last; ++n) {
      const std::string& line = lines[n - 1];
      std::size_t bars = 0;
      for (char ch : line) bars += ch == '|';
      EXPECT_EQ(bars, c.borders.size()) << "line " << n << ": " << line;
      for (std::size_t b : c.borders) {
        ASSERT_LT(b, line.size()) << "line " << n;
        EXPECT_EQ(line[b], '|') << "line " << n << " column " << b;
      }
    }
  }
}

TEST(DriverDocument, TrainCardRows) {
  const std::vector<std::string> card = split_crlf(line_document_bytes(train_card_lines()));
  ASSERT_EQ(card.size(), 32u);
  EXPECT_EQ(card[16], " |  80 |     |  73.370  |     | BRENVALO TERME             |  9.21          |     |");
  EXPECT_EQ(card[27], " |     |     |  33.570  |     | MORVENA                    |          10.13 |     |");
  EXPECT_EQ(card[8], " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ");
}

TEST(DriverDocument, SlowdownOrderTable) {
  const std::vector<std::string> form = split_crlf(line_document_bytes(slowdown_order_lines()));
  ASSERT_EQ(form.size(), 41u);
  const std::string_view empty_row =
      " |   |                            |            |          |         |            |";
  // Between the two closing rules only the two slowdown rows carry text.
  for (int n = 13; n <= 33; ++n) {
    if (n == 14 || n == 15 || n == 17) {
      EXPECT_NE(form[n - 1], empty_row) << "line " << n;
    } else {
      EXPECT_EQ(form[n - 1], empty_row) << "line " << n;
    }
  }
  EXPECT_EQ(form[11], form[33]);
  EXPECT_EQ(form[1], "                               Modulo M. 3");
  EXPECT_EQ(form[14], " |   |   - Molino del Pallone     |     69     |    30    |   900   |   ---      |");
  EXPECT_EQ(form[16], " | 2 | Castagno - Corbezzi        |     53     |    30    |   300   |   ---      |");
}

TEST(DriverDocument, NotesLayout) {
  const std::vector<std::string> notes = split_crlf(line_document_bytes(scenario_notes_lines()));
  ASSERT_EQ(notes.size(), 23u);
  EXPECT_EQ(notes[0], "               Treno 4815 sul percorso Brenvalo Terme - Morvena");
  for (int n : {18, 19, 20, 22, 23}) {
    const std::string& line = notes[n - 1];
    EXPECT_LE(line.size(), 79u) << "line " << n;
    EXPECT_TRUE(line.starts_with(' ') && !line.starts_with("  ")) << "line " << n;
  }
  EXPECT_TRUE(notes[17].ends_with(" di"));
  EXPECT_TRUE(notes[19].ends_with("ed altre informazioni varie."));
  EXPECT_NE(notes[21].find(" - "), std::string::npos);
  EXPECT_TRUE(notes[22].ends_with("@example.org"));
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every writer creates its file when none is there and replaces a longer one
// whole, leaving none of the old bytes behind.
TEST(DriverDocument, WritersReplaceTheirFileWhole) {
  struct WriterCase {
    void (*write)(const std::string&, const scenario_identity&);
    LinesFn lines;
    const char* file_name;
  };
  const WriterCase cases[] = {
      {dati_linea, line_definition_lines, "Brenvalo_Morvena_linea.txt"},
      {dati_treno, train_definition_lines, "Brenvalo_Morvena_4815-.txt"},
      {dati_scheda, train_card_lines, "Brenvalo_Morvena_4815_scheda_treno.txt"},
      {dati_rallentamenti, slowdown_order_lines, "Brenvalo_Morvena_4815_rallentamenti.txt"},
      {dati_note, scenario_notes_lines, "Brenvalo_Morvena_4815_note.txt"},
  };
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("scenario_writers_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  ASSERT_TRUE(std::filesystem::create_directory(dir));
  const scenario_identity id{"Brenvalo_Morvena", "4815"};

  for (const WriterCase& c : cases) {
    SCOPED_TRACE(c.file_name);
    const std::filesystem::path path = dir / c.file_name;
    const std::string expected = line_document_bytes(c.lines());

    c.write(dir.string(), id);
    EXPECT_EQ(read_file(path), expected);

    {
      std::ofstream old(path, std::ios::binary | std::ios::trunc);
      old << std::string(expected.size() + 4000, 'x');
    }
    c.write(dir.string(), id);
    EXPECT_EQ(read_file(path), expected);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace scenario
