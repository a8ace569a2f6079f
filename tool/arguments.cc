#include "tool/arguments.h"

namespace scenario::tool {

std::optional<std::string> arguments::value(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

std::optional<arguments> parse_arguments(const std::vector<std::string>& args, const std::set<std::string>& with_value,
                                         const std::set<std::string>& switches, std::string* error) {
  arguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    // "-" alone is a word (standard output where a file is asked for).
    if (a.size() < 2 || a[0] != '-') {
      parsed.positional.push_back(a);
      continue;
    }
    if (a == "-h") a = "--help";
    std::optional<std::string> value;
    const size_t equals = a.find('=');
    if (a.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = a.substr(equals + 1);
      a = a.substr(0, equals);
    }
    if (with_value.count(a) != 0) {
      if (!value) {
        if (i + 1 >= args.size()) {
          *error = "all'opzione " + a + " manca il valore";
          return std::nullopt;
        }
        value = args[++i];
      }
      parsed.values[a] = *value;
    } else if (switches.count(a) != 0 && !value) {
      parsed.flags.insert(a);
    } else if (switches.count(a) != 0) {
      *error = "l'opzione " + a + " non prende un valore";
      return std::nullopt;
    } else {
      *error = "opzione sconosciuta: " + args[i];
      return std::nullopt;
    }
  }
  return parsed;
}

}  // namespace scenario::tool
