// The compiled files of one compile, written while the compile goes on.
// The route plan, by far the largest file, depends on the line definition
// alone: begin_plan() starts writing it on threads of its own as soon as the
// loader has read that definition, so that writing it overlaps reading the
// train definition and the post-processing. The item table and the route
// cells follow in commit(). Nothing replaces the old files before commit();
// a writer dropped without it removes whatever it began.
#ifndef MODEL_COMPILED_WRITER_H_
#define MODEL_COMPILED_WRITER_H_

#include <atomic>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "model/model.h"
#include "model/output_files.h"

namespace scenario {

class compiled_files_writer {
 public:
  // `model` must outlive the writer; until commit() the compile may go on
  // changing everything in it but the route plan, its line mode and its
  // identity. `start` starts the writer's threads; where it cannot, the
  // work is done on the calling thread. A replacement of the compiled files
  // cut short in `directory` is undone first, where it can be, so that a
  // compile that writes nothing still leaves the last whole set.
  compiled_files_writer(const scenario_model& model, std::string directory, thread_starter start = start_thread);
  ~compiled_files_writer();
  compiled_files_writer(const compiled_files_writer&) = delete;
  compiled_files_writer& operator=(const compiled_files_writer&) = delete;

  // Begins the route plan (line mode only). Its faults wait for commit().
  void begin_plan();

  // Writes what is still to write (the route plan too if it was never
  // begun), waits for the plan, then replaces the old files as a set.
  // Returns the paths written: route plan, item table, route cells.
  // Throws file_error.
  std::vector<std::string> commit();

 private:
  // Writes the route plan's temporary file; stops early once dropped_.
  void write_plan();

  const scenario_model& model_;
  thread_starter start_;
  output_set out_;
  std::thread plan_;
  std::exception_ptr plan_error_;
  std::atomic<bool> dropped_{false};  // set by a writer dropped uncommitted
};

// The three compiled files at once: route plan (line mode), item table,
// route cells, replaced together. Returns the paths written. Throws file_error.
std::vector<std::string> write_compiled_files(const scenario_model& model, const std::string& directory);

}  // namespace scenario

#endif  // MODEL_COMPILED_WRITER_H_
