// Reading the two definition files of an identity from a directory. The
// loader reads text; whoever calls it opens the files, and the program
// alone deletes them afterwards.
#ifndef MODEL_DEFINITION_FILES_H_
#define MODEL_DEFINITION_FILES_H_

#include <cstddef>
#include <optional>
#include <string>

#include "model/loader.h"

namespace scenario {

// The largest file read as a whole: far above any real definition (the
// benchmark's synthetic 993 000 m line, an object every few hundred
// metres, is 139 KB, its train 64 KB), well below what would exhaust the
// memory of a machine.
inline constexpr size_t kLargestReadFile = size_t{64} << 20;

// Why a file was not read.
enum class read_problem {
  none,
  missing,         // no such file, or a folder on its path is missing
  not_a_file,      // a folder, a pipe, a device: only regular files are read
  too_large,       // larger than kLargestReadFile
  no_descriptors,  // the process or the system has no file descriptor left
  unreadable,      // anything else: permissions, an input/output error
};

struct file_read {
  std::optional<std::string> text;  // set exactly when problem is none
  read_problem problem = read_problem::none;
};

// Reads the whole of a regular file, never more than `largest` bytes (a
// definition's limit unless said): a folder, a pipe or a device named like
// the file is refused, and opening one does not wait for a writer.
file_read read_file(const std::string& path, size_t largest = kLargestReadFile);

// What went wrong, in words for the user, after "impossibile leggere PATH: ".
const char* read_problem_words(read_problem problem);

// The whole file, or nullopt when it cannot be read (read_file).
std::optional<std::string> read_whole_file(const std::string& path, size_t largest = kLargestReadFile);

// NAME_linea.txt and NAME_NUMBER-.txt of `directory`, and why one was
// not read.
struct definition_reads {
  definition_texts texts;  // a definition not read is nullopt
  read_problem line = read_problem::none;
  read_problem train = read_problem::none;
};
definition_reads read_definition_files(const std::string& directory, const std::string& route,
                                       const std::string& train);

// The texts alone: a definition that cannot be read is nullopt.
definition_texts read_definitions(const std::string& directory, const std::string& route, const std::string& train);

}  // namespace scenario

#endif  // MODEL_DEFINITION_FILES_H_
