// The one writer of every file the program and the tool write. Each file of
// a set is written to a temporary file beside its final name; only when
// every one of them has been written completely are they renamed over the
// old files. A failure leaves the previous files as they were and no
// temporary file behind.
#ifndef MODEL_OUTPUT_FILES_H_
#define MODEL_OUTPUT_FILES_H_

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/file_error.h"

namespace scenario {

// Receives the bytes of a file in order, a chunk at a time.
using chunk_writer = std::function<void(std::string_view)>;

// Receives a piece of a file with the offset it begins at; the pieces may
// come in any order. The receiver may keep the bytes: it leaves `bytes`
// empty, possibly holding an emptied buffer of an earlier piece to fill
// again.
using piece_writer = std::function<void(uint64_t offset, std::string& bytes)>;

// Starts a thread running `work`, or throws std::system_error as
// std::thread does when the system has none to give.
using thread_starter = std::function<std::thread(std::function<void()>)>;
std::thread start_thread(std::function<void()> work);

class output_set {
 public:
  // `start` starts the second thread of write_pieces; where it fails, the
  // pieces are encoded and written on the calling thread.
  explicit output_set(std::string directory, thread_starter start = start_thread);
  ~output_set();  // removes every temporary file not committed
  output_set(const output_set&) = delete;
  output_set& operator=(const output_set&) = delete;

  // Writes `name` (in the directory) from what `encode` hands to its writer.
  // Throws file_error.
  void write(const std::string& name, const std::function<void(const chunk_writer&)>& encode);

  // Writes `name`, `size` bytes long, from the pieces `encode` hands to its
  // writer. `encode` runs on a second thread while this one writes the
  // pieces it has finished; a few pieces wait at most, so the file is never
  // held whole. Throws file_error, or what `encode` threw.
  void write_pieces(const std::string& name, uint64_t size, const std::function<void(const piece_writer&)>& encode);

  // Renames every written file into place; returns their paths in order.
  // The files are on disk before the first rename. Throws file_error, also
  // when a write of the set failed: a set is replaced whole or not at all.
  std::vector<std::string> commit();

 private:
  struct entry {
    std::string final_path;
    std::string temp_path;
    bool written = false;  // the temporary file is complete
  };
  entry& begin_entry(const std::string& name);

  std::string directory_;
  thread_starter start_;
  std::vector<entry> entries_;
};

// Puts back the files of a replacement that was cut short (a crash, a
// power cut): when some of `names` in `directory` have a "<name>.prev"
// set aside and the new set is not all in place, every ".prev" goes back
// to its name; when the new set is whole, the ".prev" files left are
// removed. Throws file_error when a file cannot be put back.
void restore_interrupted_replacement(const std::string& directory, const std::vector<std::string>& names);

// Replaces the file at `path` (a name alone: in the current directory) with
// `bytes` as a set of one: the old file stays whole until the new one is.
// Throws file_error.
void replace_file(const std::string& path, std::string_view bytes);

}  // namespace scenario

#endif  // MODEL_OUTPUT_FILES_H_
