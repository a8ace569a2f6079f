#include "model/record_keys.h"

#include <algorithm>

#include "model/ansi_text.h"
#include "model/record_fields.h"

namespace scenario {

bool is_comment_key(std::string_view key) { return contains(key, "-"); }

bool is_section_header(std::string_view key) {
  const size_t first = key.find_first_not_of(" \t");
  const bool starts_with_dash = first != std::string_view::npos && key[first] == '-';
  return contains(key, "[") && contains(key, "]") && !starts_with_dash;
}

std::string section_of(std::string_view key) {
  const size_t open = key.find('[');
  if (open == std::string_view::npos) return "";
  const size_t close = key.find(']', open);
  return to_lower_ansi(key.substr(open, close == std::string_view::npos ? std::string_view::npos : close - open + 1));
}

bool starts_reading(std::string_view field) { return contains(to_lower_ansi(field), "[generale]"); }

std::string_view lost_record_key(std::string_view line, definition_file file) {
  // The first field of the line, as a record loop would take it for a key.
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  line.remove_prefix(first);
  line = line.substr(0, std::min(line.find(','), line.size()));
  const std::string_view key = line.substr(0, line.find_last_not_of(" \t") + 1);
  if (is_comment_key(key) || kinds_for_key(key, file, false).empty()) return {};
  return key;
}

}  // namespace scenario
