// Names of every scenario file, formed from the route name and the train
// number, and the path of a file in a directory.
#ifndef MODEL_FILE_NAMES_H_
#define MODEL_FILE_NAMES_H_

#include <optional>
#include <string>
#include <string_view>

namespace scenario {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

std::string path_in(std::string_view directory, std::string_view name);

std::string line_definition_name(std::string_view route);                           // <route>_linea.txt
std::string train_definition_name(std::string_view route, std::string_view train);  // <route>_<train>-.txt
std::string route_plan_name(std::string_view route);                                // <route>_linea.dat
std::string item_table_name(std::string_view route, std::string_view train);        // <route>_<train>.sim
std::string route_cells_name(std::string_view route, std::string_view train);       // <route>_<train>.dat
// <route>_<train>_<document>, e.g. document "note.txt".
std::string document_name(std::string_view route, std::string_view train, std::string_view document);

// A character no file name may hold, on Windows as on Linux: a control
// character or one of / \ : * ? " < > |.
bool forbidden_in_file_name(char c);

// Why a route name and train number cannot name the scenario's files (a
// character no file name may hold, an empty route name, or two of the files
// that are read or written that would get one name, compared as Windows
// does, ignoring case), in Italian; or nullopt when they can. The train
// number may be empty ("R_-.txt", "R_.sim", "R_.dat"). Only the route plan
// "R_linea.dat" can share a name, with the route cells of train "linea", so
// that is refused only when `route_plan_written`.
std::optional<std::string> identity_problem(std::string_view route, std::string_view train,
                                            bool route_plan_written = true);

}  // namespace scenario

#endif  // MODEL_FILE_NAMES_H_
