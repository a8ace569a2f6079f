// The train card laid out from its head and its station rows.
#include <algorithm>

#include "documents/layout_cells.h"
#include "documents/paper_layout.h"

namespace scenario {
namespace {

constexpr size_t kBox = 19, kMiddle = 45, kRightBox = 14;

// The columns of the timetable: Vel. Lim., Vel. Marc., Progr Km, No Rs,
// Localita' di Servizio, Orario, Rec.
const std::vector<size_t> kColumns = {5, 5, 10, 5, 28, 16, 5};
constexpr size_t kTimes = 16;

std::string under(size_t n) { return std::string(n, '_'); }
std::string blank(size_t n) { return std::string(n, ' '); }

// "da: NAME" with the label at `lead` and the name, however long, in one
// column after it.
cell_lines labelled(std::string_view label, std::string_view name, size_t lead) {
  const size_t at = lead + label.size() + 1;
  cell_lines out;
  for (const std::string& part : wrap_text(name, kMiddle - at - 1)) {
    std::string line = blank(kMiddle);
    if (out.empty()) line.replace(lead, label.size(), label);
    line.replace(at, part.size(), part);
    out.push_back(std::move(line));
  }
  return out;
}

// Lines 3 to 7 of the card: the train's box, the title with the route and
// the box of rank and braked mass, which closes one line below the first.
std::vector<std::string> card_top(const card_head& head) {
  cell_lines left = {blank(kBox)};
  for (std::string& l : centred_cell("TRENO n. " + head.train, kBox)) left.push_back(std::move(l));
  cell_lines middle = left_cell("SCHEDA", kMiddle, 20);
  for (std::string& l : labelled("da:", head.from, 19)) middle.push_back(std::move(l));
  for (std::string& l : labelled("a:", head.to, 20)) middle.push_back(std::move(l));
  cell_lines right = {blank(kRightBox)};
  for (std::string& l : centred_cell(head.rank, kRightBox)) right.push_back(std::move(l));
  for (std::string& l : centred_cell(head.braked_mass, kRightBox)) right.push_back(std::move(l));

  const size_t rows = std::max({left.size() + 1, middle.size(), right.size()});
  std::vector<std::string> lines = {"  " + under(kBox) + blank(kMiddle + 2) + under(kRightBox)};
  for (size_t k = 0; k <= rows; ++k) {
    std::string line;
    if (k + 1 < rows) {
      line = " |" + (k < left.size() ? left[k] : blank(kBox)) + "|";
    } else if (k + 1 == rows) {
      line = " |" + under(kBox) + "|";
    } else {
      line = blank(kBox + 3);
    }
    line += k < middle.size() ? middle[k] : blank(kMiddle);
    line += "|" + (k == rows ? under(kRightBox) : k < right.size() ? right[k] : blank(kRightBox)) + "|";
    lines.push_back(std::move(line));
  }
  return lines;
}

// Lines 8 to 11: the boxes of classification and blocked mass.
std::vector<std::string> card_boxes(const card_head& head) {
  const std::vector<size_t> widths = {kBox, 14, kBox};
  std::vector<std::string> lines = {"  " + under(kBox) + blank(16) + under(kBox)};
  auto row = [&](cell_lines a, cell_lines b) {
    for (std::string& l : table_row(" |", {{std::move(a)}, {{blank(14)}}, {std::move(b)}}, widths)) {
      lines.push_back(std::move(l));
    }
  };
  row(centred_cell("CLASSIFICAZIONE", kBox), centred_cell("MASSA BLOCCATA", kBox));
  row(centred_cell(head.classification, kBox), centred_cell(head.blocked_mass, kBox));
  row({under(kBox)}, {under(kBox)});
  return lines;
}

// Puts a time so that its hours and minutes end at `end`; a "+" for the
// half minute follows them.
void put_time(std::string& cell, const std::string& time, size_t end) {
  const size_t clock = time.size() - (!time.empty() && time.back() == '+' ? 1 : 0);
  size_t at = end > clock ? end - clock : 0;
  at = std::min(at, cell.size() > time.size() ? cell.size() - time.size() : 0);
  cell.replace(at, std::min(time.size(), cell.size() - at), time);
}

// The Orario column: the first station's time at the left, the last's at
// the right, an arrival at the left and a departure at the right, one time
// alone in the middle.
std::string times_cell(const card_row& r, bool first, bool last) {
  std::string cell = blank(kTimes);
  const std::string& one = r.departure.empty() ? r.arrival : r.departure;
  if (first) {
    put_time(cell, one, 6);
  } else if (last) {
    put_time(cell, r.arrival.empty() ? r.departure : r.arrival, 15);
  } else if (!r.arrival.empty() && !r.departure.empty()) {
    put_time(cell, r.arrival, 6);
    put_time(cell, r.departure, 15);
  } else {
    put_time(cell, one, 11);
  }
  return cell;
}

}  // namespace

std::string train_card_bytes(const card_head& head, const std::vector<card_row>& rows) {
  const std::string rule = " |_____|_____|__________|_____|____________________________|________________|_____|";
  std::vector<std::string> lines = {"", ""};
  for (std::string& l : card_top(head)) lines.push_back(std::move(l));
  for (std::string& l : card_boxes(head)) lines.push_back(std::move(l));
  lines.insert(lines.end(), {
      "",
      "  " + under(80),
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      rule,
  });
  for (size_t i = 0; i < rows.size(); ++i) {
    const card_row& r = rows[i];
    const std::vector<table_cell> cells = {
        {right_cell(r.speed, 5, 1)},        {{blank(5)}},
        {right_cell(r.kilometre, 10, 2)},   {{blank(5)}},
        {left_cell(r.name, 28, 1)},         {{times_cell(r, i == 0, i + 1 == rows.size() && i > 0)}},
        {{blank(5)}},
    };
    for (std::string& l : table_row(" |", cells, kColumns)) lines.push_back(std::move(l));
  }
  lines.insert(lines.end(), {rule, "", "", "Nota: Nella colonna Orario il simbolo '+' indica 'mezzo minuto'."});
  std::string bytes;
  append_lines(bytes, lines);
  return bytes;
}

}  // namespace scenario
