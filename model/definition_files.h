// Reading the two definition files of an identity from a directory. The
// loader reads text; whoever calls it opens the files, and the program
// alone deletes them afterwards.
#ifndef MODEL_DEFINITION_FILES_H_
#define MODEL_DEFINITION_FILES_H_

#include <optional>
#include <string>

#include "model/loader.h"

namespace scenario {

// The whole file, or nullopt when it does not exist, is not a regular
// file or cannot be read.
std::optional<std::string> read_whole_file(const std::string& path);

// NAME_linea.txt and NAME_NUMBER-.txt of `directory`.
definition_texts read_definitions(const std::string& directory, const std::string& route, const std::string& train);

}  // namespace scenario

#endif  // MODEL_DEFINITION_FILES_H_
