#include "model/output_files.h"

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "model/file_names.h"
#include "model/output_files_disk.h"

#if defined(__linux__)
#include <fcntl.h>
#endif

namespace scenario {
namespace {

// What went wrong, in Italian for the usual causes.
std::string why(const std::error_code& ec) {
  const std::error_condition c = ec.default_error_condition();
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted) return "permesso negato";
  if (c == std::errc::no_such_file_or_directory) return "la cartella o il file non esiste";
  if (c == std::errc::no_space_on_device) return "spazio su disco esaurito";
  if (c == std::errc::read_only_file_system) return "il disco e' in sola lettura";
  if (c == std::errc::is_a_directory) return "al suo posto c'e' una cartella";
  if (c == std::errc::not_a_directory) return "una parte del percorso non e' una cartella";
  if (c == std::errc::file_exists || c == std::errc::directory_not_empty) return "al suo posto c'e' una cartella non vuota";
  if (c == std::errc::too_many_files_open) return "troppi file aperti";
  return ec.message();
}

std::string describe(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + why(std::error_code(err, std::generic_category()));
}

// A temporary file being written; the first failure is kept and every
// write after it skipped.
class temp_file {
 public:
  explicit temp_file(const std::string& path) : path_(path), f_(std::fopen(path.c_str(), "wb")) {
    if (!f_) throw file_error(describe("impossibile creare", path, errno));
  }
  ~temp_file() {
    if (f_) std::fclose(f_);
  }
  temp_file(const temp_file&) = delete;
  temp_file& operator=(const temp_file&) = delete;

  bool ok() const { return ok_; }

  // For pieces that are large and each written at once: no copy through
  // the stream's buffer, and the space of the whole file taken in one step
  // where the system offers it, instead of page by page as it is written.
  void prepare_for_pieces(uint64_t size) {
    std::setvbuf(f_, nullptr, _IONBF, 0);
#if defined(__linux__)
    if (size > 0 && size <= static_cast<uint64_t>(LONG_MAX)) {
      // Only a way to go faster: where it fails, the writes take the space.
      (void)fallocate(fileno(f_), 0, 0, static_cast<off_t>(size));
    }
#else
    (void)size;
#endif
  }

  void put(uint64_t offset, std::string_view bytes) {
    if (!ok_ || bytes.empty()) return;
    // The compiled files stay far below 2 GiB, the reach of fseek.
    if (offset != at_ && (offset > static_cast<uint64_t>(LONG_MAX) ||
                          std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0)) {
      fail();
      return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size()) {
      fail();
      return;
    }
    at_ = offset + bytes.size();
  }

  // Closes the file once its bytes are on the disk; throws the first
  // failure.
  void finish() {
    if (ok_ && !flush_to_disk(f_)) fail();
    if (std::fclose(std::exchange(f_, nullptr)) != 0 && ok_) fail();
    if (!ok_) throw file_error(describe("impossibile scrivere", path_, err_));
  }

 private:
  void fail() {
    ok_ = false;
    err_ = errno;
  }

  std::string path_;
  std::FILE* f_;
  uint64_t at_ = 0;
  bool ok_ = true;
  int err_ = 0;
};

// Pieces handed from the thread that encodes them to the thread that writes
// them. At most kWaiting finished pieces wait; an encoder that finds that
// many waiting sleeps until the writer has taken half of them, so the two
// threads wake each other seldom. The buffers of written pieces go
// back to the encoder to be filled again.
class piece_queue {
 public:
  struct piece {
    uint64_t offset = 0;
    std::string bytes;
  };
  // Thrown inside the encoder once the writer has given up.
  struct cancelled {};

  // Encoder: hands over a piece and takes an empty buffer in its place.
  void put(uint64_t offset, std::string& bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!cancelled_ && waiting_.size() >= kWaiting) {
      encoder_waits_ = true;
      encoder_may_go_.wait(lock, [&] { return cancelled_ || waiting_.size() <= kWaiting / 2; });
      encoder_waits_ = false;
    }
    if (cancelled_) throw cancelled{};
    waiting_.push_back(piece{offset, std::move(bytes)});
    bytes = std::string();
    if (!spare_.empty()) {
      bytes = std::move(spare_.back());
      spare_.pop_back();
    }
    if (writer_waits_) writer_may_go_.notify_one();
  }
  // Encoder: no more pieces; `error` is what stopped it early, if anything.
  void close(std::exception_ptr error) {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    error_ = error;
    writer_may_go_.notify_one();
  }
  // Writer: the next piece; false once the encoder has closed and every
  // piece is taken.
  bool take(piece* p) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!closed_ && waiting_.empty()) {
      writer_waits_ = true;
      writer_may_go_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
      writer_waits_ = false;
    }
    if (waiting_.empty()) return false;
    *p = std::move(waiting_.front());
    waiting_.pop_front();
    if (encoder_waits_ && waiting_.size() <= kWaiting / 2) encoder_may_go_.notify_one();
    return true;
  }
  // Writer: a written piece's buffer, to be filled again.
  void recycle(std::string bytes) {
    bytes.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(bytes));
  }
  // Writer: stops the encoder at its next piece.
  void cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    encoder_may_go_.notify_one();
  }
  std::exception_ptr error() {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
  }

 private:
  static constexpr size_t kWaiting = 2;
  std::mutex mutex_;
  std::condition_variable encoder_may_go_;
  std::condition_variable writer_may_go_;
  bool encoder_waits_ = false;
  bool writer_waits_ = false;
  std::deque<piece> waiting_;
  std::vector<std::string> spare_;
  bool closed_ = false;
  bool cancelled_ = false;
  std::exception_ptr error_;
};

}  // namespace

std::thread start_thread(std::function<void()> work) { return std::thread(std::move(work)); }

output_set::output_set(std::string directory, thread_starter start)
    : directory_(std::move(directory)), start_(std::move(start)) {}

output_set::~output_set() {
  for (const entry& e : entries_) {
    if (!e.temp_path.empty()) std::remove(e.temp_path.c_str());
  }
}

output_set::entry& output_set::begin_entry(const std::string& name) {
  entry e;
  e.final_path = path_in(directory_, name);
  e.temp_path = e.final_path + ".part";
  entries_.push_back(std::move(e));
  return entries_.back();
}

void output_set::write(const std::string& name, const std::function<void(const chunk_writer&)>& encode) {
  const size_t at_entry = entries_.size();
  temp_file f(path_in(directory_, name) + ".part");
  begin_entry(name);
  uint64_t at = 0;
  encode([&](std::string_view chunk) {
    f.put(at, chunk);
    at += chunk.size();
  });
  f.finish();
  entries_[at_entry].written = true;
}

void output_set::write_pieces(const std::string& name, uint64_t size,
                              const std::function<void(const piece_writer&)>& encode) {
  const size_t at_entry = entries_.size();
  temp_file f(path_in(directory_, name) + ".part");
  begin_entry(name);
  f.prepare_for_pieces(size);
  piece_queue queue;
  std::thread encoder;
  try {
    encoder = start_([&] {
      std::exception_ptr error;
      try {
        encode([&](uint64_t offset, std::string& bytes) { queue.put(offset, bytes); });
      } catch (const piece_queue::cancelled&) {
      } catch (...) {
        error = std::current_exception();
      }
      queue.close(error);
    });
  } catch (const std::system_error&) {
    // No second thread to be had: the pieces are encoded and written here,
    // one after the other.
    encode([&](uint64_t offset, std::string& bytes) {
      f.put(offset, bytes);
      bytes.clear();
    });
    f.finish();
    entries_[at_entry].written = true;
    return;
  }
  // Should anything here throw, the encoder is stopped before it is left.
  struct stop_and_join {
    piece_queue& queue;
    std::thread& thread;
    ~stop_and_join() {
      if (!thread.joinable()) return;
      queue.cancel();
      thread.join();
    }
  } guard{queue, encoder};
  piece_queue::piece p;
  while (queue.take(&p)) {
    f.put(p.offset, p.bytes);
    if (!f.ok()) queue.cancel();
    queue.recycle(std::move(p.bytes));
  }
  encoder.join();
  if (std::exception_ptr error = queue.error()) std::rethrow_exception(error);
  f.finish();
  entries_[at_entry].written = true;
}

// Replaces the old set as a whole: the old files are first moved aside,
// then the new ones renamed into place; if any step fails, everything done
// so far is undone, so the directory holds either the old set or the new.
std::vector<std::string> output_set::commit() {
  std::vector<std::string> finals;
  std::vector<std::string> temps;
  std::vector<std::string> names;
  for (const entry& e : entries_) {
    if (!e.written) throw file_error("impossibile sostituire " + e.final_path + ": la scrittura non e' finita");
    finals.push_back(e.final_path);
    temps.push_back(e.temp_path);
    names.push_back(e.final_path.substr(directory_.size() + 1));
  }
  // A replacement cut short before this one is undone first, so that its
  // ".prev" files are not taken for this one's.
  restore_interrupted_replacement(directory_, names);
  std::error_code ec;
  for (const std::string& path : finals) {
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
      throw file_error("impossibile sostituire " + path + ": al suo posto c'e' una cartella");
    }
  }
  std::vector<size_t> aside;   // finals moved to their .prev names
  std::vector<size_t> placed;  // temps renamed into place
  auto undo = [&] {
    for (size_t i : placed) std::filesystem::rename(finals[i], temps[i], ec);
    for (size_t i : aside) std::filesystem::rename(finals[i] + ".prev", finals[i], ec);
  };
  for (size_t i = 0; i < finals.size(); ++i) {
    if (!std::filesystem::exists(finals[i], ec)) continue;
    std::filesystem::rename(finals[i], finals[i] + ".prev", ec);
    if (ec) {
      const std::string cause = why(ec);
      undo();
      throw file_error("impossibile sostituire " + finals[i] + ": " + cause);
    }
    aside.push_back(i);
  }
  for (size_t i = 0; i < temps.size(); ++i) {
    std::filesystem::rename(temps[i], finals[i], ec);
    if (ec) {
      const std::string cause = why(ec);
      undo();
      throw file_error("impossibile sostituire " + finals[i] + ": " + cause);
    }
    placed.push_back(i);
  }
  flush_folder(directory_);
  for (size_t i : aside) std::filesystem::remove(finals[i] + ".prev", ec);
  for (entry& e : entries_) e.temp_path.clear();  // nothing left to remove
  return finals;
}

void replace_file(const std::string& path, std::string_view bytes) {
  const size_t slash = path.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  output_set out(directory);
  out.write(name, [&](const chunk_writer& w) { w(bytes); });
  out.commit();
}

}  // namespace scenario
