#include "model/key_names.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "model/ansi_text.h"
#include "model/record_fields.h"

namespace scenario {
namespace {

// The section headers of both definitions.
std::vector<std::string> sections() {
  std::vector<std::string> all;
  for (definition_file f : {definition_file::line, definition_file::train}) {
    for (const char* h : section_headers(f)) {
      if (std::find(all.begin(), all.end(), h) == all.end()) all.emplace_back(h);
    }
  }
  return all;
}

// The record keys of one definition as an author writes them; a curve's
// key with each side and digit.
std::vector<std::string> keys(definition_file file) {
  std::vector<std::string> all;
  for (const record_kind& kind : record_kinds()) {
    if (kind.file != file) continue;
    if (std::string_view(kind.key) == "curva") {
      for (const char* side : {"d", "s"}) {
        for (char digit = '1'; digit <= '6'; ++digit) all.push_back(std::string("curva") + side + digit);
      }
    } else {
      all.emplace_back(kind.key);
    }
  }
  return all;
}

// Edits (insert, delete, replace one character) from a to b.
size_t distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The candidate within a third of its length (at least one edit, at most
// three) of `word`, the nearest first; empty when there is none.
std::string nearest(std::string_view word, const std::vector<std::string>& candidates) {
  const std::string lower = to_lower_ansi(word);
  if (lower.empty() || lower.find_first_not_of("0123456789-+., ") == std::string::npos) return "";
  std::string best;
  size_t best_distance = 0;
  for (const std::string& c : candidates) {
    const size_t d = distance(lower, c);
    const size_t allowed = std::clamp<size_t>(c.size() / 3, 1, 3);
    if (d > 0 && d <= allowed && (best.empty() || d < best_distance)) {
      best = std::string(c);
      best_distance = d;
    }
  }
  return best;
}

std::string_view trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> split(std::string_view s, std::string_view separators) {
  std::vector<std::string_view> parts;
  size_t at = 0;
  while (at <= s.size()) {
    const size_t end = std::min(s.find_first_of(separators, at), s.size());
    parts.push_back(s.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

}  // namespace

field_site route_length_site(std::string_view text) {
  int32_t line = 0;
  for (std::string_view l : split(text, "\n")) {
    ++line;
    const std::string_view key = trimmed(l.substr(0, std::min(l.find(','), l.size())));
    const std::string lower = to_lower_ansi(key);
    if (contains(lower, "-") || !contains(lower, "percorso") || !contains(lower, "lunghezza")) continue;
    return field_site{line, static_cast<int32_t>(l.find_first_not_of(" \t") + 1)};
  }
  return {};
}

bool is_known_section(std::string_view header) {
  const std::vector<std::string> all = sections();
  return std::find(all.begin(), all.end(), to_lower_ansi(header)) != all.end();
}

std::string nearest_section(std::string_view header) { return nearest(header, sections()); }

std::string nearest_key(definition_file file, std::string_view field) { return nearest(field, keys(file)); }

}  // namespace scenario
