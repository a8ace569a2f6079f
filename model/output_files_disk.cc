#include "model/output_files_disk.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "model/output_files.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace scenario {

bool flush_to_disk(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  if (h == INVALID_HANDLE_VALUE || !FlushFileBuffers(h)) {
    errno = EIO;
    return false;
  }
  return true;
#else
  // Where the file cannot be synced at all (a pipe, a device), its bytes
  // have gone as far as they can.
  return fsync(fileno(f)) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

void flush_folder(const std::string& directory) {
#ifdef _WIN32
  // A folder's entries are written through by the file system itself.
  (void)directory;
#else
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  (void)fsync(fd);
  close(fd);
#endif
}

void restore_interrupted_replacement(const std::string& directory, const std::vector<std::string>& names) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<std::string> set_aside;  // names with a ".prev"
  bool whole = true;                   // every name in place
  for (const std::string& name : names) {
    const std::string path = path_in(directory, name);
    if (fs::is_regular_file(path + ".prev", ec)) set_aside.push_back(path);
    if (!fs::exists(path, ec)) whole = false;
  }
  if (set_aside.empty()) return;
  for (const std::string& path : set_aside) {
    if (whole) {
      // The new set went in; only the removal of the old one was cut short.
      fs::remove(path + ".prev", ec);
      continue;
    }
    // The old set is the last whole one: it goes back over any new file
    // already in place. Removing first keeps a cut here restorable.
    fs::remove(path, ec);
    fs::rename(path + ".prev", path, ec);
    if (ec) throw file_error("impossibile rimettere a posto " + path + " da " + path + ".prev: " + ec.message());
  }
  flush_folder(directory);
}

}  // namespace scenario
