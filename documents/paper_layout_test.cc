// The layout of the papers fed the built-in papers' own rows gives the
// built-in papers: every column, box and time placement of the fixed files
// comes out of the writers, so a generated paper is laid out as they are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/line_document.h"
#include "content/line_document_testing.h"
#include "documents/paper_layout.h"
#include "documents/scenario_notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_card.h"

namespace scenario {
namespace {

using testing::split_crlf;

std::vector<std::string> fixed_lines(std::span<const std::string_view> lines) {
  return split_crlf(line_document_bytes(lines));
}

TEST(PaperLayout, TheCardsRowsGiveTheFixedCard) {
  const card_head head = {"4815", "BRENVALO T.", "MORVENA", "V160 B", "120%", "REGIONALE", "250T"};
  const std::vector<card_row> rows = {
      {"80", "73.370", "BRENVALO TERME", "", "9.21"},
      {"", "69.890", "PONTE DELLA VENTURINA", "9.24+", "9.25"},
      {"", "65.710", "MOLINO DEL PALLONE", "9.30", "9.31"},
      {"", "63.670", "BIAGIONI-LAGACCI", "", "9.33"},
      {"", "58.600", "PRACCHIA", "9.40", "9.47"},
      {"", "55.440", "SAN MOMME'", "9.50+", "9.51"},
      {"", "53.440", "CASTAGNO", "", "9.53"},
      {"", "51.080", "CORBEZZI", "9.56", "9.57"},
      {"", "45.100", "Piteccio", "", "10.03"},
      {"", "38.800", "Valdibrana", "", "10.08"},
      {"", "35.330", "MORVENA OVEST", "", "10.11"},
      {"", "33.570", "MORVENA", "10.13", ""},
  };
  const std::vector<std::string> laid = split_crlf(train_card_bytes(head, rows));
  std::vector<std::string> fixed = fixed_lines(train_card_lines());
  ASSERT_EQ(laid.size(), fixed.size());
  // The fixed card's values in the lower boxes stand off centre, and its
  // box row ends in seven blanks; the writer centres and ends at the box.
  EXPECT_EQ(laid[8], " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |");
  EXPECT_EQ(laid[9], " |     REGIONALE     |              |       250T        |");
  fixed[8] = laid[8];
  fixed[9] = laid[9];
  EXPECT_EQ(laid, fixed);
}

TEST(PaperLayout, TheOrdersRowsGiveTheFixedOrder) {
  const std::vector<order_row> rows = {
      {"Ponte della Venturina", "Molino del Pallone", "69", "30", "900"},
      {"Castagno", "Corbezzi", "53", "30", "300"},
  };
  EXPECT_EQ(slowdown_order_bytes("Brenvalo T. - Morvena", "4815", rows, {}),
            line_document_bytes(slowdown_order_lines()));
}

TEST(PaperLayout, TheNotesBodyGivesTheFixedNotes) {
  std::vector<std::string> body;
  const auto fixed = scenario_notes_lines();
  for (size_t i = 4; fixed[i] != kEndMarker; ++i) body.emplace_back(fixed[i].empty() ? "" : fixed[i].substr(1));
  EXPECT_EQ(scenario_notes_bytes("Treno 4815 sul percorso Brenvalo Terme - Morvena", body),
            line_document_bytes(fixed));
}

// What does not fit its column goes on over further lines of its row and
// the table grows; the form's widths hold on every line.
TEST(PaperLayout, LongTextsAndManyRowsContinueAndKeepTheWidths) {
  const std::string long_name = "STAZIONE DAL NOME LUNGHISSIMO DI MONTAGNA ALTA";
  std::vector<card_row> card = {{"100", "1203.450", long_name, "", "23.59+"}};
  for (int i = 0; i < 30; ++i) card.push_back({"", std::to_string(i) + ".000", "S" + std::to_string(i), "9.00", "9.01"});
  card.push_back({"", "0.000", "FINE", "10.00+", ""});
  const card_head head = {"12345678901234567890", long_name, "B", "..........", "95%", "", ""};
  const std::vector<std::string> lines = split_crlf(train_card_bytes(head, card));
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  for (size_t i = 2; i < lines.size() - 3; ++i) {
    EXPECT_LE(lines[i].size(), 83u) << i << ": " << lines[i];
  }
  EXPECT_NE(all.find(" | 100 |     |1203.450  |     | STAZIONE DAL NOME          | 23.59+         |     |"),
            std::string::npos) << all;
  EXPECT_NE(all.find("| LUNGHISSIMO DI MONTAGNA    |"), std::string::npos) << all;
  EXPECT_NE(all.find("| ALTA                       |"), std::string::npos) << all;
  EXPECT_NE(all.find("|  9.00     9.01 |"), std::string::npos);
  EXPECT_NE(all.find("|          10.00+|"), std::string::npos) << all;
  // The train number and the first station's name go on in their boxes,
  // which grow, the right box closing a line below the others.
  EXPECT_NE(all.find(" |     TRENO n.      |                   da: STAZIONE DAL NOME     |  ..........  |\n"
                     " | 12345678901234567 |                       LUNGHISSIMO DI        |     95%      |\n"
                     " |        890        |                       MONTAGNA ALTA         |              |\n"
                     " |___________________|                    a: B                     |              |\n"
                     "                                                                   |______________|\n"),
            std::string::npos)
      << all;
  EXPECT_EQ(lines.size(), 32u + 20 + 2 + 2);  // 20 more station rows, 2 more name lines, 2 more head lines

  std::vector<order_row> order;
  for (int i = 0; i < 25; ++i) order.push_back({long_name, "B", std::to_string(i), "30", "100", i > 20});
  const std::vector<std::string> form = split_crlf(slowdown_order_bytes(long_name, "4815", order, {{22, 23}}));
  // Each slowdown: an empty row, three lines of the first name and one of the second.
  ASSERT_EQ(form.size(), 41u - 21 + 25 * 5);
  for (size_t i = 8; i < form.size() - 7; ++i) EXPECT_EQ(form[i].size(), 82u) << i << ": " << form[i];
  EXPECT_EQ(form[16], " |   |   - B                      |     0      |    30    |   100   |   ---      |");
  EXPECT_EQ(form[form.size() - 3], " D - Rallentamento N. 22 e N. 23  sono contigui");

  // Two names on one line while they fit the column's 27 characters.
  const std::vector<std::string> pair = split_crlf(slowdown_order_bytes(
      "L", "1", {{"ABCDEFGHIJKL", "MNOPQRSTUVWX", "1", "2", "3"}, {"ABCDEFGHIJKL", "MNOPQRSTUVWXY", "1", "2", "3"}}, {}));
  EXPECT_EQ(pair[13], " | 1 | ABCDEFGHIJKL - MNOPQRSTUVWX|     1      |    2     |    3    |   ---      |");
  EXPECT_EQ(pair[15], " | 2 | ABCDEFGHIJKL -             |            |          |         |            |");
  EXPECT_EQ(pair[16], " |   |   - MNOPQRSTUVWXY          |     1      |    2     |    3    |   ---      |");
}

TEST(PaperLayout, WrapBreaksAtBlanksAndInsideLongWords) {
  struct wrap_case {
    std::string text;
    size_t width;
    std::vector<std::string> lines;
  } cases[] = {
      {"", 5, {""}},
      {"abc de", 6, {"abc de"}},
      {"abc def", 6, {"abc", "def"}},
      {"abcdefgh", 3, {"abc", "def", "gh"}},
      {"ab   cd", 3, {"ab", "cd"}},
      {"a bcdefg", 4, {"a", "bcde", "fg"}},
  };
  for (const wrap_case& c : cases) EXPECT_EQ(wrap_text(c.text, c.width), c.lines) << c.text;
}

}  // namespace
}  // namespace scenario
