// Whether a file the program writes in its folder may bear a name: one
// that names that file and no other, on Windows as on Linux. Windows drops
// a name's trailing dots and spaces, takes "NUL" or "aux.txt" for a
// device, compares names ignoring case and answers to a long name's short
// form ("NOTE~1.TXT"); the program itself writes "<name>.part" beside each
// file, sets the old one aside as "<name>.prev" and keeps an author's edit
// as "<name>.N.bak". A name that could mean one of these is refused.
#ifndef MODEL_WRITTEN_NAMES_H_
#define MODEL_WRITTEN_NAMES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Why `name` cannot be a file the program writes, in Italian ("il nome
// \"NUL\" e' ..."), or nullopt when it can.
std::optional<std::string> written_name_problem(std::string_view name);

// The same for every name of `names`, then for two of them that Windows
// takes for one file (equal ignoring case): the first problem found.
std::optional<std::string> written_names_problem(const std::vector<std::string>& names);

}  // namespace scenario

#endif  // MODEL_WRITTEN_NAMES_H_
