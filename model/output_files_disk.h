// What the one writer of files asks of the disk: that the bytes of a file,
// and the renames in a folder, are stored before it goes on, so that a
// power cut never leaves an empty or half-written file under a final name.
#ifndef MODEL_OUTPUT_FILES_DISK_H_
#define MODEL_OUTPUT_FILES_DISK_H_

#include <cstdio>
#include <string>

namespace scenario {

// Flushes an open file's written bytes to the disk. False on failure, with
// errno set.
bool flush_to_disk(std::FILE* f);

// Flushes the entries of `directory` (the renames just made) to the disk,
// where the system allows it; a failure changes nothing already done.
void flush_folder(const std::string& directory);

}  // namespace scenario

#endif  // MODEL_OUTPUT_FILES_DISK_H_
