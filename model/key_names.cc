#include "model/key_names.h"

#include <algorithm>
#include <vector>

#include "model/ansi_text.h"

namespace scenario {
namespace {

constexpr std::string_view kSections[] = {
    "[generale]", "[curve]",    "[pendenze]",      "[montagne]", "[cartelli]", "[indicazioni]", "[aderenze]",
    "[vel_limite]", "[stazioni]", "[segnali]", "[rallentamenti]", "[codici]", "[fine]"};

constexpr std::string_view kLineKeys[] = {
    "lunghezza percorso", "progressiva chilometrica uno", "progressiva chilometrica due",
    "progressiva chilometrica tre", "sfondo uno", "sfondo due", "sfondo tre", "ripetizione segnali 4 codici",
    "pendenza", "curvad1", "curvad2", "curvad3", "curvad4", "curvad5", "curvad6", "curvas1", "curvas2", "curvas3",
    "curvas4", "curvas5", "curvas6", "montagna", "indicatori_vmax", "cartello_indicatore"};

constexpr std::string_view kTrainKeys[] = {"percentuale massa frenata", "numero vetture", "velocita", "aderenza",
                                           "orologio", "sabbia", "segnale", "rallentamento", "abbattimento",
                                           "stazione"};

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
template <size_t N>
std::string nearest(std::string_view word, const std::string_view (&candidates)[N]) {
  const std::string lower = to_lower_ansi(word);
  if (lower.empty() || lower.find_first_not_of("0123456789-+., ") == std::string::npos) return "";
  std::string best;
  size_t best_distance = 0;
  for (std::string_view c : candidates) {
    const size_t d = distance(lower, c);
    const size_t allowed = std::clamp<size_t>(c.size() / 3, 1, 3);
    if (d > 0 && d <= allowed && (best.empty() || d < best_distance)) {
      best = std::string(c);
      best_distance = d;
    }
  }
  return best;
}

}  // namespace

bool is_known_section(std::string_view header) {
  const std::string lower = to_lower_ansi(header);
  return std::find(std::begin(kSections), std::end(kSections), lower) != std::end(kSections);
}

std::string nearest_section(std::string_view header) { return nearest(header, kSections); }

std::string nearest_key(definition_file file, std::string_view field) {
  return file == definition_file::train ? nearest(field, kTrainKeys) : nearest(field, kLineKeys);
}

}  // namespace scenario
