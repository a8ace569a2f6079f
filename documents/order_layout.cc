// The slowdown order "Modulo M. 3" laid out from its rows.
#include <string>

#include "documents/layout_cells.h"
#include "documents/paper_layout.h"

namespace scenario {
namespace {

// The columns: N., between the stations, the kilometre post, speed,
// length, specific prescriptions.
const std::vector<size_t> kColumns = {3, 28, 12, 10, 9, 12};
// The form's table holds 21 lines between its two rules; more rows go on.
constexpr size_t kFormLines = 21;
const std::string kRule = " |___|____________________________|____________|__________|_________|____________|";

// Where a slowdown lies: "A - B" on one line when it fits, else "A -" over
// "  - B"; the station's name alone when it lies in one.
cell_lines stations_cell(const order_row& r) {
  constexpr size_t kWidth = 28;
  if (r.to.empty()) return left_cell(r.from, kWidth, 1);
  const std::string both = r.from + " - " + r.to;
  if (both.size() < kWidth) return left_cell(both, kWidth, 1);
  cell_lines lines = left_cell(r.from + " -", kWidth, 1);
  for (std::string& l : left_cell("  - " + r.to, kWidth, 1)) lines.push_back(std::move(l));
  return lines;
}

// Free text of the head, continuing under itself past the form's width.
void add_text(std::vector<std::string>& lines, const std::string& lead, const std::string& text) {
  const std::vector<std::string> parts = wrap_text(text, 81 - lead.size());
  for (const std::string& part : parts) lines.push_back(lead + part);
}

}  // namespace

std::string slowdown_order_bytes(const std::string& line, const std::string& train,
                                 const std::vector<order_row>& rows, const std::vector<std::pair<int, int>>& pairs) {
  std::vector<std::string> lines = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " " + std::string(80, '_'),
  };
  add_text(lines, "  Linea  ", line);
  lines.emplace_back();
  add_text(lines, "  ", "Si ordina al macchinista del treno " + train + " di effettuare i seguenti rallentamenti");
  lines.insert(lines.end(), {
      "  " + std::string(79, '_'),
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      kRule,
  });
  const std::string empty_row = " |   |                            |            |          |         |            |";
  const size_t table_start = lines.size();
  for (size_t i = 0; i < rows.size(); ++i) {
    const order_row& r = rows[i];
    lines.push_back(empty_row);
    const std::vector<table_cell> cells = {
        {right_cell(std::to_string(i + 1), 3, 1), cell_place::top},
        {stations_cell(r), cell_place::top},
        {centred_cell(r.post, 12), cell_place::bottom},
        {centred_cell(r.speed, 10), cell_place::bottom},
        {centred_cell(r.length, 9), cell_place::bottom},
        {left_cell(r.contiguous ? "D" : "---", 12, 3), cell_place::bottom},
    };
    for (std::string& l : table_row(" |", cells, kColumns)) lines.push_back(std::move(l));
  }
  while (lines.size() - table_start < kFormLines) lines.push_back(empty_row);
  lines.insert(lines.end(), {
      kRule,
      "",
      "              Prescrizioni specifiche",
      " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
      " B - Interessa anche la stazione di.......",
  });
  if (pairs.empty()) lines.emplace_back(" D - Rallentamento N. ... e N. ...  sono contigui");
  for (const auto& [a, b] : pairs) {
    lines.push_back(" D - Rallentamento N. " + std::to_string(a) + " e N. " + std::to_string(b) + "  sono contigui");
  }
  lines.insert(lines.end(), {
      " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
      "     i giorni esclusi i seguenti:.........",
  });
  std::string bytes;
  append_lines(bytes, lines);
  return bytes;
}

}  // namespace scenario
