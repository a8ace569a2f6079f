#include "model/key_names.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <vector>

#include "model/ansi_text.h"
#include "model/record_fields.h"
#include "model/record_keys.h"

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


// The candidate within a third of its length (at least one edit, at most
// three) of `word`, the nearest first; empty when there is none.
std::string nearest(std::string_view word, const std::vector<std::string>& candidates) {
  const std::string lower = to_lower_ansi(word);
  if (lower.empty() || lower.find_first_not_of("0123456789-+., ") == std::string::npos) return "";
  std::string best;
  size_t best_distance = 0;
  for (const std::string& c : candidates) {
    const size_t allowed = std::clamp<size_t>(c.size() / 3, 1, 3);
    // The difference in length is edits already: most candidates end here.
    if (std::max(lower.size(), c.size()) - std::min(lower.size(), c.size()) > allowed) continue;
    const size_t d = edit_distance(lower, c);
    if (d > 0 && d <= allowed && (best.empty() || d < best_distance)) {
      best = std::string(c);
      best_distance = d;
    }
  }
  return best;
}

// The record kinds of `file` whose tests `key` passes, in either part of
// the line definition.
std::vector<const record_kind*> kinds_of(definition_file file, std::string_view key) {
  std::vector<const record_kind*> kinds = kinds_for_key(key, file, false);
  if (file == definition_file::line) {
    const std::vector<const record_kind*> general = kinds_for_key(key, file, true);
    kinds.insert(kinds.end(), general.begin(), general.end());
  }
  return kinds;
}

bool is_key_of(definition_file file, std::string_view key) { return !kinds_of(file, key).empty(); }

std::string_view trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool is_whole_number(std::string_view token) {
  if (!token.empty() && token.front() == '-') token.remove_prefix(1);
  return !token.empty() && token.find_first_not_of("0123456789") == std::string_view::npos;
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

// Whether `tokens` begin with the words of `key`, a digit standing for any
// digit ("ripetizione segnali 9 codici" for "ripetizione segnali 4 codici").
bool begins_with_key(const std::vector<std::string_view>& tokens, std::string_view key) {
  const std::vector<std::string_view> words = split(key, " ");
  if (tokens.size() < words.size()) return false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string token = to_lower_ansi(tokens[i]);
    const bool digits = words[i].size() == 1 && std::isdigit(static_cast<unsigned char>(words[i][0])) &&
                        token.size() == 1 && std::isdigit(static_cast<unsigned char>(token[0]));
    if (token != words[i] && !digits) return false;
  }
  return true;
}

// How many of `tokens` the key takes: the words of its kind's key where
// the tokens begin with them, else the fewest that pass a kind's tests.
size_t key_tokens(definition_file file, const std::vector<std::string_view>& tokens) {
  std::string key;
  for (size_t i = 0; i < tokens.size(); ++i) {
    key += (i > 0 ? " " : "") + std::string(tokens[i]);
    if (is_whole_number(tokens[i])) continue;
    const std::vector<const record_kind*> kinds = kinds_of(file, key);
    if (kinds.empty()) continue;
    for (const record_kind* kind : kinds) {
      if (begins_with_key(tokens, kind->key)) return std::max(i + 1, split(kind->key, " ").size());
    }
    return i + 1;
  }
  return tokens.empty() ? 0 : 1;
}

// The fields meant in one stretch of a key field between semicolons: each
// number a field of its own, the words between numbers one text field; in
// the first stretch the key comes first.
void fields_of(definition_file file, std::string_view stretch, bool key_first, std::vector<std::string>* fields) {
  std::vector<std::string_view> tokens;
  for (std::string_view t : split(stretch, " \t")) {
    if (!t.empty()) tokens.push_back(t);
  }
  const size_t next = key_first ? key_tokens(file, tokens) : 0;
  std::string words;
  for (size_t i = 0; i < next; ++i) words += (i > 0 ? " " : "") + std::string(tokens[i]);
  if (!words.empty()) fields->push_back(words);
  words.clear();
  for (size_t i = next; i < tokens.size(); ++i) {
    if (is_whole_number(tokens[i])) {
      if (!words.empty()) fields->push_back(words);
      words.clear();
      fields->emplace_back(tokens[i]);
    } else {
      words += (words.empty() ? "" : " ") + std::string(tokens[i]);
    }
  }
  if (!words.empty()) fields->push_back(words);
}

}  // namespace

std::string misplaced_key_hint(definition_file file, bool general, std::string_view field) {
  const std::string_view f = trimmed(field);
  if (f.empty() || f.front() == '[') return "";
  const std::string header = "[" + to_lower_ansi(f) + "]";
  for (const char* h : section_headers(file)) {
    if (header == h) return std::string("le sezioni si scrivono tra parentesi quadre: ") + h;
  }
  if (file == definition_file::train && is_key_of(definition_file::line, f)) {
    return "e' un record della definizione della linea: va scritto in NOME_linea.txt, non nella definizione del "
           "treno";
  }
  if (file == definition_file::line && is_key_of(definition_file::train, f)) {
    return "e' un record della definizione del treno: va scritto in NOME_NUMERO-.txt, non nella definizione della "
           "linea";
  }
  if (file == definition_file::line && !kinds_for_key(f, file, !general).empty()) {
    return general ? "e' un record che si legge solo dopo la sezione [generale], qui e' ignorato"
                   : "e' un record della sezione [generale]: fuori da quella sezione e' ignorato";
  }
  return "";
}

std::string separator_hint(definition_file file, std::string_view key_field) {
  const bool semicolons = key_field.find(';') != std::string_view::npos;
  std::vector<std::string> fields;
  const std::vector<std::string_view> stretches = split(key_field, ";");
  for (size_t i = 0; i < stretches.size(); ++i) fields_of(file, stretches[i], i == 0, &fields);
  const bool numbers = std::any_of(fields.begin(), fields.end(), [](const std::string& f) { return is_whole_number(f); });
  if (fields.size() < 2 || !(numbers || semicolons) || !is_key_of(file, fields.front())) return "";
  std::string record;
  for (const std::string& f : fields) record += (record.empty() ? "" : ", ") + f;
  return "i campi si separano con la virgola: \"" + record + "\"";
}

field_site route_length_site(std::string_view text) {
  int32_t line = 0;
  for (std::string_view l : split(text, "\n")) {
    ++line;
    const std::string_view key = trimmed(l.substr(0, std::min(l.find(','), l.size())));
    if (is_comment_key(key)) continue;
    const std::vector<const record_kind*> kinds = kinds_for_key(key, definition_file::line, true);
    const bool route_length = std::any_of(kinds.begin(), kinds.end(), [](const record_kind* k) {
      return std::string_view(k->key) == "lunghezza percorso";
    });
    if (route_length) return field_site{line, static_cast<int32_t>(l.find_first_not_of(" \t") + 1)};
  }
  return {};
}

bool is_known_section(std::string_view header) {
  const std::vector<std::string> all = sections();
  return std::find(all.begin(), all.end(), to_lower_ansi(header)) != all.end();
}

std::string nearest_section(std::string_view header) { return nearest(header, sections()); }

std::string nearest_key(definition_file file, std::string_view field) { return nearest(field, keys(file)); }

size_t edit_distance(std::string_view a, std::string_view b) {
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

}  // namespace scenario
