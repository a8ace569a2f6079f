// The driver's three papers laid out from plain rows, in the form of the
// built-in ones: the same column widths, boxes and rules, Windows-1252
// bytes, CR LF after every line. What goes into a row (which station, which
// time, which kilometre post) is decided by whoever fills the rows; these
// writers only place text. A text wider than its column continues on
// further lines of its row, and a table with more rows than the form grows
// by as many lines: nothing is cut.
#ifndef DOCUMENTS_PAPER_LAYOUT_H_
#define DOCUMENTS_PAPER_LAYOUT_H_

#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// A box the definitions cannot fill: a run of dots to fill by hand, as the
// form's own blanks are written.
inline constexpr std::string_view kFillByHand = "..........";

// The head of the train card.
struct card_head {
  std::string train;          // "4815"
  std::string from, to;       // first and last station
  std::string rank;           // the box over the braked mass ("V160 B")
  std::string braked_mass;    // "120%"
  std::string classification; // "REGIONALE"
  std::string blocked_mass;   // "250T"
};

// One station of the train card. The times are as the card writes them
// ("9.24+"); the first row shows its one time at the left, the last row at
// the right, any other row with one time in the middle and with two the
// arrival at the left and the departure at the right.
struct card_row {
  std::string speed;      // km/h, the first row only
  std::string kilometre;  // "73.370"
  std::string name;
  std::string arrival;
  std::string departure;
};

std::string train_card_bytes(const card_head& head, const std::vector<card_row>& rows);

// One slowdown of the order. `to` empty: it lies in the station `from`.
struct order_row {
  std::string from, to;
  std::string post;     // the kilometre post before its start
  std::string speed;    // km/h
  std::string length;   // metres
  bool contiguous = false;  // prescription D: it touches the one before or after
};

// `line` after "Linea", `train` in the order to the driver; `pairs` the
// numbers of contiguous slowdowns, one pair each, for the legend's line D
// (which keeps its dots when there is none).
std::string slowdown_order_bytes(const std::string& line, const std::string& train,
                                 const std::vector<order_row>& rows, const std::vector<std::pair<int, int>>& pairs);

// The notes: the title line, the heading and `body`, each line of which is
// written after one blank and continues on further lines past 79 characters.
std::string scenario_notes_bytes(const std::string& title, const std::vector<std::string>& body);

// `text` in lines of at most `width` bytes, broken at the last blank that
// fits or, in a word longer than the width, inside it; never empty.
std::vector<std::string> wrap_text(std::string_view text, size_t width);

}  // namespace scenario

#endif  // DOCUMENTS_PAPER_LAYOUT_H_
