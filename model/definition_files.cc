#include "model/definition_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>

#include "model/file_names.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace scenario {
namespace {

file_read refused(read_problem problem) { return file_read{std::nullopt, problem}; }

#ifdef _WIN32

// Windows has no pipes or devices among a folder's files; its folders and
// sizes are told by the file system before the file is opened.
file_read read_regular_file(const std::string& path, size_t largest) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return refused(read_problem::missing);
  if (!std::filesystem::is_regular_file(status)) return refused(read_problem::not_a_file);
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return refused(read_problem::unreadable);
  if (size > largest) return refused(read_problem::too_large);
  std::ifstream in(path, std::ios::binary);
  if (!in) return refused(errno == EMFILE || errno == ENFILE ? read_problem::no_descriptors : read_problem::unreadable);
  std::string text(static_cast<size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  // The file may have grown since: the rest, up to one byte past the limit.
  char chunk[4096];
  while (in && text.size() <= largest) {
    in.read(chunk, sizeof chunk);
    text.append(chunk, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return refused(read_problem::unreadable);
  if (text.size() > largest) return refused(read_problem::too_large);
  return file_read{std::move(text), read_problem::none};
}

#else

read_problem open_problem(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return read_problem::missing;
    case EMFILE:
    case ENFILE: return read_problem::no_descriptors;
    case ENXIO:  // a socket
    case EISDIR: return read_problem::not_a_file;
    default: return read_problem::unreadable;
  }
}

class descriptor {
 public:
  explicit descriptor(int fd) : fd_(fd) {}
  ~descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  descriptor(const descriptor&) = delete;
  descriptor& operator=(const descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opened without waiting (a pipe would wait for a writer), then judged by
// what was opened, not by the name: the name may point elsewhere by then.
file_read read_regular_file(const std::string& path, size_t largest) {
  const descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) return refused(open_problem(errno));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return refused(read_problem::unreadable);
  if (!S_ISREG(info.st_mode)) return refused(read_problem::not_a_file);
  if (info.st_size < 0 || static_cast<uintmax_t>(info.st_size) > largest) {
    return refused(read_problem::too_large);
  }
  // The file may grow while it is read: one byte past the limit tells.
  std::string text(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t got = 0;
  while (got <= largest) {
    if (got == text.size()) text.resize(std::min(text.size() * 2, largest + 1));
    const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return refused(read_problem::unreadable);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  if (got > largest) return refused(read_problem::too_large);
  text.resize(got);
  return file_read{std::move(text), read_problem::none};
}

#endif

}  // namespace

file_read read_file(const std::string& path, size_t largest) { return read_regular_file(path, largest); }

static_assert(kLargestReadFile == size_t{64} << 20, "the words below name the limit");

const char* read_problem_words(read_problem problem) {
  switch (problem) {
    case read_problem::none: return "";
    case read_problem::missing: return "il file non esiste";
    case read_problem::not_a_file: return "non e' un file (una cartella, una pipe o un dispositivo)";
    case read_problem::too_large: return "il file supera 64 MiB, il limite di una definizione";
    case read_problem::no_descriptors: return "troppi file aperti (descrittori esauriti): riprovare";
    case read_problem::unreadable: return "lettura non riuscita (permessi o errore del disco)";
  }
  return "";
}

std::optional<std::string> read_whole_file(const std::string& path, size_t largest) {
  return read_file(path, largest).text;
}

definition_reads read_definition_files(const std::string& directory, const std::string& route,
                                       const std::string& train) {
  file_read line = read_file(path_in(directory, line_definition_name(route)));
  file_read train_file = read_file(path_in(directory, train_definition_name(route, train)));
  return definition_reads{{std::move(line.text), std::move(train_file.text)}, line.problem, train_file.problem};
}

definition_texts read_definitions(const std::string& directory, const std::string& route, const std::string& train) {
  return read_definition_files(directory, route, train).texts;
}

}  // namespace scenario
