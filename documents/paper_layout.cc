#include "documents/paper_layout.h"

#include <algorithm>

#include "documents/layout_cells.h"

namespace scenario {

std::vector<std::string> wrap_text(std::string_view text, size_t width) {
  width = std::max<size_t>(width, 1);
  std::vector<std::string> lines;
  while (text.size() > width) {
    // The last blank that leaves the line at most `width` long.
    size_t cut = text.rfind(' ', width);
    size_t next = cut + 1;
    if (cut == std::string_view::npos || cut == 0) cut = next = width;
    std::string_view line = text.substr(0, cut);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    lines.emplace_back(line);
    text.remove_prefix(next);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  if (lines.empty() || !text.empty()) lines.emplace_back(text);
  return lines;
}

namespace {

cell_lines placed(std::string_view text, size_t width, size_t room, size_t lead_wanted, bool centre) {
  cell_lines out;
  for (const std::string& part : wrap_text(text, room)) {
    const size_t lead = centre ? (width - part.size()) / 2 : std::min(lead_wanted, width - part.size());
    std::string line(width, ' ');
    line.replace(lead, part.size(), part);
    out.push_back(std::move(line));
  }
  return out;
}

}  // namespace

cell_lines left_cell(std::string_view text, size_t width, size_t lead) {
  return placed(text, width, width - lead, lead, false);
}

cell_lines right_cell(std::string_view text, size_t width, size_t trail) {
  cell_lines out;
  for (const std::string& part : wrap_text(text, width - trail)) {
    std::string line(width, ' ');
    line.replace(width - trail - part.size(), part.size(), part);
    out.push_back(std::move(line));
  }
  return out;
}

cell_lines centred_cell(std::string_view text, size_t width) { return placed(text, width, width - 2, 0, true); }

std::vector<std::string> table_row(std::string_view indent, const std::vector<table_cell>& cells,
                                   const std::vector<size_t>& widths) {
  size_t height = 1;
  for (const table_cell& c : cells) height = std::max(height, c.lines.size());
  std::vector<std::string> lines(height, std::string(indent));
  for (size_t i = 0; i < cells.size(); ++i) {
    const table_cell& c = cells[i];
    const size_t first = c.place == cell_place::top ? 0 : height - c.lines.size();
    for (size_t k = 0; k < height; ++k) {
      const bool filled = k >= first && k - first < c.lines.size();
      lines[k] += filled ? c.lines[k - first] : std::string(widths[i], ' ');
      lines[k] += '|';
    }
  }
  return lines;
}

void append_lines(std::string& bytes, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
}

std::string scenario_notes_bytes(const std::string& title, const std::vector<std::string>& body) {
  // No line longer than 79 characters: the title after 15 blanks, the
  // body after one, a continuation under the text of its note.
  constexpr size_t kWidth = 79;
  std::vector<std::string> lines;
  for (const std::string& part : wrap_text(title, kWidth - 15)) lines.push_back(std::string(15, ' ') + part);
  lines.insert(lines.end(), {"", " Note sullo scenario:", ""});
  for (const std::string& text : body) {
    if (text.empty()) {
      lines.emplace_back();
      continue;
    }
    // A note " - " continues under its text; any other line under itself.
    size_t hang = text.find_first_not_of(' ');
    if (hang == std::string::npos) hang = 0;
    if (text.compare(hang, 2, "- ") == 0) hang += 2;
    hang = std::min<size_t>(hang, 40);
    const std::vector<std::string> parts = wrap_text(text.substr(std::min(hang, text.size())), kWidth - 1 - hang);
    for (size_t i = 0; i < parts.size(); ++i) {
      lines.push_back(" " + (i == 0 ? text.substr(0, hang) : std::string(hang, ' ')) + parts[i]);
    }
  }
  std::string bytes;
  append_lines(bytes, lines);
  return bytes;
}

}  // namespace scenario
