#include "model/written_names.h"

#include <algorithm>

#include "model/ansi_text.h"
#include "model/file_names.h"

namespace scenario {
namespace {

std::string quoted(std::string_view name) { return "il nome \"" + std::string(name) + "\""; }

// "<name>.N.bak", N one digit or more: what an author's edit is kept as.
bool backup_name(std::string_view lower) {
  if (!lower.ends_with(".bak")) return false;
  lower.remove_suffix(4);
  size_t digits = 0;
  while (digits < lower.size() && lower[lower.size() - 1 - digits] >= '0' && lower[lower.size() - 1 - digits] <= '9') {
    ++digits;
  }
  return digits > 0 && digits < lower.size() && lower[lower.size() - 1 - digits] == '.';
}

// The devices Windows finds under a file name whatever follows its first
// dot ("aux.txt", "nul.tar.gz"), spaces before the dot ignored; the
// superscript digits as the code page writes them and as UTF-8 does.
bool device_name(std::string_view lower) {
  std::string_view base = lower.substr(0, std::min(lower.find('.'), lower.size()));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (base == device) return true;
  }
  if (base.size() < 4 || (base.substr(0, 3) != "com" && base.substr(0, 3) != "lpt")) return false;
  const std::string_view number = base.substr(3);
  if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return true;
  for (const std::string_view superscript : {"\xb9", "\xb2", "\xb3", "\xc2\xb9", "\xc2\xb2", "\xc2\xb3"}) {
    if (number == superscript) return true;
  }
  return false;
}

// The form of a short name Windows gives a long one: at most eight
// characters, a dot and at most three, with "~" and a digit in the first
// part ("VALLE_~1.TXT"). Such a name may be another file's.
bool short_name_form(std::string_view name) {
  const size_t dot = name.rfind('.');
  const std::string_view base = name.substr(0, std::min(dot, name.size()));
  const size_t extension = dot == std::string_view::npos ? 0 : name.size() - dot - 1;
  if (base.empty() || base.size() > 8 || extension > 3) return false;
  for (size_t i = 0; i + 1 < base.size(); ++i) {
    if (base[i] == '~' && base[i + 1] >= '0' && base[i + 1] <= '9') return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> written_name_problem(std::string_view name) {
  if (name.empty() || name == "." || name == "..") {
    return quoted(name) + " non e' il nome di un file (vuoto, o indica una cartella)";
  }
  for (const char c : name) {
    if (forbidden_in_file_name(c)) {
      return quoted(name) + " contiene un carattere che non puo' stare nel nome di un file";
    }
  }
  if (name.back() == '.' || name.back() == ' ') {
    return quoted(name) + " finisce con un punto o uno spazio, che Windows toglie: indicherebbe un altro file";
  }
  const std::string lower = to_lower_ansi(name);
  if (lower.ends_with(".part") || lower.ends_with(".prev") || backup_name(lower)) {
    return quoted(name) + " finisce come i file che il programma scrive per se' (.part, .prev, .N.bak)";
  }
  if (device_name(lower)) return quoted(name) + " e' per Windows quello di un dispositivo (come NUL, CON, COM1)";
  if (short_name_form(name)) {
    return quoted(name) + " ha la forma di un nome breve di Windows (come NOTE~1.TXT), che puo' indicare un altro file";
  }
  return std::nullopt;
}

std::optional<std::string> written_names_problem(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (auto problem = written_name_problem(name)) return problem;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      if (to_lower_ansi(names[i]) == to_lower_ansi(names[j])) {
        return "i nomi \"" + names[i] + "\" e \"" + names[j] + "\" indicano per Windows lo stesso file";
      }
    }
  }
  return std::nullopt;
}

}  // namespace scenario
