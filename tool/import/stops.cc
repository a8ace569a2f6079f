#include "tool/import/stops.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>
#include <utility>

#include "model/key_names.h"
#include "tool/import/names.h"

namespace scenario::tool::import {
namespace {

std::optional<double> number(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (end != text.data() + text.size()) return std::nullopt;
  // A number too large for a double is still a number, and out of range.
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
  if (ec != std::errc()) return std::nullopt;
  return v;
}

}  // namespace

std::optional<geo_point> parse_point(std::string_view word) {
  if (point_problem(word)) return std::nullopt;
  const size_t comma = word.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto lat = number(word.substr(0, comma));
  const auto lon = number(word.substr(comma + 1));
  if (!lat || !lon) return std::nullopt;
  return geo_point{*lon, *lat};
}

std::optional<std::string> point_problem(std::string_view word) {
  const size_t comma = word.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto lat = number(word.substr(0, comma));
  const auto lon = number(word.substr(comma + 1));
  if (!lat || !lon) return std::nullopt;  // a name with a comma in it
  // Written so that NaN fails too.
  if (!(*lat >= -90 && *lat <= 90)) {
    return "\"" + std::string(word) + "\": la latitudine deve essere un numero di gradi da -90 a 90";
  }
  if (!(*lon >= -180 && *lon <= 180)) {
    return "\"" + std::string(word) + "\": la longitudine deve essere un numero di gradi da -180 a 180";
  }
  return std::nullopt;
}

std::vector<const stop_node*> match_stops(const std::vector<stop_node>& stops, std::string_view name) {
  const std::string wanted = fold_name(name);
  std::vector<const stop_node*> whole, words;
  if (wanted.empty()) return whole;
  const std::string padded = " " + wanted + " ";
  for (const stop_node& s : stops) {
    const std::string folded = fold_name(s.name);
    if (folded == wanted) {
      whole.push_back(&s);
    } else if ((" " + folded + " ").find(padded) != std::string::npos) {
      words.push_back(&s);
    }
  }
  return whole.empty() ? words : whole;
}

std::vector<std::string> nearest_names(const std::vector<stop_node>& stops, std::string_view name, size_t count) {
  const std::string wanted = fold_name(name);
  std::set<std::pair<size_t, std::string>> ranked;
  std::set<std::string> seen;
  for (const stop_node& s : stops) {
    if (!seen.insert(s.name).second) continue;
    ranked.insert({edit_distance(wanted, fold_name(s.name)), s.name});
  }
  std::vector<std::string> out;
  for (const auto& [distance, n] : ranked) {
    if (out.size() == count) break;
    out.push_back(n);
  }
  return out;
}

}  // namespace scenario::tool::import
