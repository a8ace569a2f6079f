// The papers generated from definitions: the built-in scenario against the
// program's fixed papers, difference by difference with its cause, and the
// layout rules of each paper on a table of small scenarios.
#include "tool/papers/papers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/line_document_testing.h"
#include "content/train_definition.h"
#include "documents/scenario_notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_card.h"
#include "tool/definition_findings.h"

namespace scenario::tool {
namespace {

using scenario::testing::split_crlf;

struct lines_of_papers {
  std::vector<std::string> notes, order, card;
};

lines_of_papers generate(const definition_texts& texts, const scenario_identity& id, const papers_options& options) {
  const definition_check found = check_definitions(texts, id);
  EXPECT_EQ(found.reported.error_code, kNoFault);
  const std::vector<paper> papers = driver_papers(found.compiled, found.records, options);
  EXPECT_EQ(papers.size(), 3u);
  EXPECT_EQ(papers[0].file_name, id.route_name + "_" + id.train_number + "_note.txt");
  EXPECT_EQ(papers[1].file_name, id.route_name + "_" + id.train_number + "_rallentamenti.txt");
  EXPECT_EQ(papers[2].file_name, id.route_name + "_" + id.train_number + "_scheda_treno.txt");
  return {split_crlf(papers[0].bytes), split_crlf(papers[1].bytes), split_crlf(papers[2].bytes)};
}

std::vector<std::string> fixed(std::span<const std::string_view> lines) {
  return split_crlf(line_document_bytes(lines));
}

lines_of_papers built_in(const papers_options& options = {}) {
  return generate({line_document_bytes(line_definition_lines()), line_document_bytes(train_definition_lines())},
                  {"Brenvalo_Morvena", "4815"}, options);
}

// Generated from the built-in definitions, the card is the fixed card but
// where the definitions say something else or nothing; each line that
// differs is pinned here with its cause, so a wrong post or time shows.
TEST(DriverPapers, TheBuiltInCardDiffersFromTheFixedOneWhereTheDefinitionsDo) {
  std::vector<std::string> expected = fixed(train_card_lines());
  // The head: the definition names the first station in full; the rank,
  // the classification and the blocked mass are in no definition; the
  // fixed box row ends in seven blanks.
  expected[4] = " |   TRENO n. 4815   |                   da: BRENVALO TERME        |  ..........  |";
  expected[8] = " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |";
  expected[9] = " |    ..........     |              |    ..........     |";
  // The rows. Posts: the line's progression, 73 350 m at 0 with its 100 m
  // added, falling one metre per metre; the fixed card's posts are the real
  // line's and differ by -20 to +130 m. Names as the definition writes
  // them. Times: 9.20+ is the clock's start (the fixed card rounds it to
  // 9.21); an arrival is the departure less 30 s of dwell (Pracchia's
  // seven-minute stop and Corbezzi's minute are the fixed card's own),
  // Molino's the fastest run's, 5 min 30 s after 9.25; a station passed
  // lies on the fastest run stretched between its stops (Biagioni 9.35+,
  // Piteccio 10.02).
  expected[16] = " |  80 |     |  73.450  |     | BRENVALO TERME             |  9.20+         |     |";
  expected[17] = " |     |     |  69.900  |     | PONTE DELLA VENTURINA      |  9.24+    9.25 |     |";
  expected[18] = " |     |     |  65.750  |     | MOLINO DEL PALLONE         |  9.30+    9.31 |     |";
  expected[19] = " |     |     |  63.800  |     | BIAGIONI LAGACCI           |       9.35+    |     |";
  expected[20] = " |     |     |  58.700  |     | PRACCHIA                   |  9.46+    9.47 |     |";
  expected[21] = " |     |     |  55.550  |     | S.MOMME'                   |  9.50+    9.51 |     |";
  expected[22] = " |     |     |  53.550  |     | CASTAGNO                   |       9.53     |     |";
  expected[23] = " |     |     |  51.200  |     | CORBEZZI                   |  9.56+    9.57 |     |";
  expected[24] = " |     |     |  45.200  |     | PITECCIO                   |      10.02     |     |";
  expected[25] = " |     |     |  38.900  |     | VALDIBRANA                 |      10.08     |     |";
  expected[26] = " |     |     |  35.450  |     | MORVENA OVEST              |      10.11     |     |";
  expected[27] = " |     |     |  33.550  |     | MORVENA                    |          10.13 |     |";
  EXPECT_EQ(built_in().card, expected);
}

// The order: the same posts (69 and 53), speeds and lengths; the line and
// the stations are named as the definition names them.
TEST(DriverPapers, TheBuiltInOrderDiffersFromTheFixedOneOnlyInTheNames) {
  std::vector<std::string> expected = fixed(slowdown_order_lines());
  expected[4] = "  Linea  BRENVALO TERME - MORVENA";
  expected[13] = " | 1 | PONTE DELLA VENTURINA -    |            |          |         |            |";
  expected[14] = " |   |   - MOLINO DEL PALLONE     |     69     |    30    |   900   |   ---      |";
  expected[16] = " | 2 | CASTAGNO - CORBEZZI        |     53     |    30    |   300   |   ---      |";
  EXPECT_EQ(built_in().order, expected);
}

// With the fixed notes' text as the author's, the notes differ only in the
// title, which names the stations as the definition does; without it they
// are a summary of the scenario.
TEST(DriverPapers, TheNotesTakeTheAuthorsTextElseSumUpTheScenario) {
  std::string text;
  const auto lines = scenario_notes_lines();
  for (size_t i = 4; lines[i] != kEndMarker; ++i) text += std::string(lines[i].substr(lines[i].empty() ? 0 : 1)) + "\r\n";
  papers_options options;
  options.notes = text;
  std::vector<std::string> expected = fixed(lines);
  expected[0] = "               Treno 4815 sul percorso BRENVALO TERME - MORVENA";
  EXPECT_EQ(built_in(options).notes, expected);

  const std::vector<std::string> summary = built_in().notes;
  const std::vector<std::string> sums_up = {
      expected[0],
      "",
      " Note sullo scenario:",
      "",
      " - Linea BRENVALO TERME - MORVENA, lunga 40,000 km; 12 stazioni: BRENVALO",
      "   TERME, PONTE DELLA VENTURINA, MOLINO DEL PALLONE, BIAGIONI LAGACCI,",
      "   PRACCHIA, S.MOMME', CASTAGNO, CORBEZZI, PITECCIO, VALDIBRANA, MORVENA OVEST,",
      "   MORVENA.",
      " - Partenza da BRENVALO TERME alle 9.20+, arrivo a MORVENA alle 10.13.",
      " - Rallentamenti: 2, elencati nel Modulo M. 3.",
  };
  EXPECT_EQ(summary, sums_up);
}

// --- small scenarios ---------------------------------------------------

struct stop {
  int position;
  int minutes;  // after midnight; -1: passed, no time
  std::string name;
};
struct slowdown {
  int position, speed, length;
};

definition_texts small_scenario(int length, const std::string& progressions, const std::vector<stop>& stops,
                                const std::vector<slowdown>& slowdowns) {
  std::string line = "[generale]\r\nlunghezza percorso, " + std::to_string(length) + "\r\n" + progressions + "[fine]\r\n";
  std::string train =
      "[generale]\r\npercentuale massa frenata, 110\r\nnumero vetture, 2\r\norologio, 7 0 0\r\nsabbia, 200\r\n"
      "[aderenze]\r\naderenza, 0, 90\r\n[vel_limite]\r\nvelocita, 0, 70\r\n[stazioni]\r\n";
  for (const stop& s : stops) {
    const int h = s.minutes < 0 ? 0 : s.minutes / 60, m = s.minutes < 0 ? 0 : s.minutes % 60;
    train += "stazione, " + std::to_string(s.position) + ", 12, 400, 0,0,0,1,1,0,4,1,1,1, " + std::to_string(h) +
             ", " + std::to_string(m) + ", 0, " + s.name + "\r\n";
  }
  train += "[rallentamenti]\r\n";
  for (const slowdown& s : slowdowns) {
    train += "rallentamento, " + std::to_string(s.position) + ", " + std::to_string(s.speed) + ", " +
             std::to_string(s.length) + ", 0, 0, 0\r\n";
  }
  train += "[fine]\r\n";
  return {line, train};
}

// Every line of each paper as the form draws it: the card's table 83
// characters wide, the order's 82, the notes at most 79; CR LF after each
// line (split_crlf fails on anything else).
void expect_form_widths(const lines_of_papers& p) {
  const std::string card_top = "  " + std::string(80, '_');
  bool in_table = false;
  for (const std::string& l : p.card) {
    if (in_table && l.empty()) in_table = false;
    if (in_table) {
      EXPECT_EQ(l.size(), 83u) << l;
    }
    if (l == card_top) in_table = true;
  }
  in_table = false;
  for (const std::string& l : p.order) {
    if (l.rfind(" |", 0) == 0) in_table = true;
    if (in_table && l.empty()) in_table = false;
    if (in_table) {
      EXPECT_EQ(l.size(), 82u) << l;
    }
  }
  for (const std::string& l : p.notes) EXPECT_LE(l.size(), 79u) << l;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

TEST(DriverPapers, SmallScenariosKeepTheFormAndSayWhatTheirDefinitionsHold) {
  std::vector<stop> many;
  std::vector<slowdown> many_slowdowns;
  for (int i = 0; i < 25; ++i) many.push_back({i * 1000, i % 3 == 1 ? -1 : 7 * 60 + 3 * i, "FERMATA " + std::to_string(i)});
  for (int i = 0; i < 20; ++i) many_slowdowns.push_back({1500 + 1000 * i, 40, 200});
  many_slowdowns.push_back({21500, 30, 200});
  many_slowdowns.push_back({21750, 20, 100});  // in the cell after the one before's end: prescription D
  struct scenario_case {
    const char* name;
    definition_texts texts;
    bool rising;
    std::vector<std::string> card, order, notes;  // lines each paper holds
  } cases[] = {
      {"one station, kilometres falling from 10 km",
       small_scenario(3000, "progressiva chilometrica uno, 0, 10000, 0\r\n", {{0, 7 * 60 + 30, "CITT\xC0"}}, {}),
       false,
       {" |    TRENO n. 7     |                   da: CITT\xC0                 |  ..........  |",
        " |  70 |     |  10.000  |     | CITT\xC0                      |  7.30          |     |"},
       {"  Linea  CITT\xC0 - CITT\xC0", " D - Rallentamento N. ... e N. ...  sono contigui"},
       {" - Linea CITT\xC0 - CITT\xC0, lunga 3,000 km; 1 stazione: CITT\xC0.", " - Nessun rallentamento."}},
      {"rising kilometres with a jump at 5000 m, a station passed",
       small_scenario(10000,
                      "progressiva chilometrica uno, 0, 1000, 0\r\nprogressiva chilometrica due, 5000, 20000, 1\r\n",
                      {{0, 7 * 60 + 30, "VALLE"}, {4000, -1, "MONTE"}, {8000, 7 * 60 + 42, "PIANO"}},
                      {{6000, 30, 500}}),
       true,
       {" |  70 |     |   1.000  |     | VALLE                      |  7.30          |     |",
        " |     |     |   5.000  |     | MONTE                      |",
        " |     |     |  23.100  |     | PIANO                      |           7.42 |     |"},
       {" | 1 | MONTE - PIANO              |     21     |    30    |   500   |   ---      |"},
       {}},
      {"a stop scheduled sooner than the train can reach it: it arrives as it departs",
       small_scenario(8000, "progressiva chilometrica uno, 0, 30000, 0\r\n",
                      {{0, 7 * 60 + 30, "VALLE"}, {4000, 7 * 60 + 31, "MONTE"}, {7000, 7 * 60 + 40, "PIANO"}}, {}),
       false,
       {" |     |     |  26.000  |     | MONTE                      |  7.31     7.31 |     |"},
       {},
       {}},
      {"a slowdown in a station and one before the first",
       small_scenario(8000, "progressiva chilometrica uno, 0, 30000, 0\r\n",
                      {{2000, 7 * 60 + 30, "VALLE"}, {6000, 7 * 60 + 40, "MONTE"}}, {{1000, 50, 300}, {2050, 30, 100}}),
       false,
       {},
       {" | 1 | prima di VALLE             |     29     |    50    |   300   |   ---      |",
        " | 2 | VALLE                      |     28     |    30    |   100   |   ---      |"},
       {}},
      {"more stations and slowdowns than the form has rows", small_scenario(26000, "", many, many_slowdowns), false,
       {" |  70 |     |   0.000  |     | FERMATA 0                  |  7.00          |     |",
        " |     |     |  24.000  |     | FERMATA 24                 |           8.12 |     |"},
       {" |20 | FERMATA 20 - FERMATA 21    |     21     |    40    |   200   |   ---      |",
        " |21 | FERMATA 21 - FERMATA 22    |     22     |    30    |   200   |   D        |",
        " |22 | FERMATA 21 - FERMATA 22    |     22     |    20    |   100   |   D        |",
        " D - Rallentamento N. 21 e N. 22  sono contigui"},
       {}},
  };
  for (const scenario_case& c : cases) {
    SCOPED_TRACE(c.name);
    papers_options options;
    options.kilometres_rise = c.rising;
    const lines_of_papers p = generate(c.texts, {"Piccola", "7"}, options);
    expect_form_widths(p);
    const std::string card = joined(p.card), order = joined(p.order), notes = joined(p.notes);
    for (const std::string& l : c.card) EXPECT_NE(card.find(l), std::string::npos) << l << "\n" << card;
    for (const std::string& l : c.order) EXPECT_NE(order.find(l), std::string::npos) << l << "\n" << order;
    for (const std::string& l : c.notes) EXPECT_NE(notes.find(l), std::string::npos) << l << "\n" << notes;
  }
}

}  // namespace
}  // namespace scenario::tool
