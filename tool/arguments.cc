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
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      if (with_value.count(a) != 0) {
        if (i + 1 >= args.size()) {
          *error = "all'opzione " + a + " manca il valore";
          return std::nullopt;
        }
        parsed.values[a] = args[++i];
      } else if (switches.count(a) != 0) {
        parsed.flags.insert(a);
      } else {
        *error = "opzione sconosciuta: " + a;
        return std::nullopt;
      }
    } else if (a == "-o" && with_value.count("-o") != 0) {
      if (i + 1 >= args.size()) {
        *error = "all'opzione -o manca il valore";
        return std::nullopt;
      }
      parsed.values[a] = args[++i];
    } else {
      parsed.positional.push_back(a);
    }
  }
  return parsed;
}

}  // namespace scenario::tool
