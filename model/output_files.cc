#include "model/output_files.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "model/file_names.h"

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

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

output_set::output_set(std::string directory) : directory_(std::move(directory)) {}

output_set::~output_set() {
  for (const std::string& temp : temps_) std::remove(temp.c_str());
}

void output_set::write(const std::string& name, const std::function<void(const chunk_writer&)>& encode) {
  const std::string final_path = path_in(directory_, name);
  const std::string temp_path = final_path + ".part";
  std::unique_ptr<std::FILE, file_closer> f(std::fopen(temp_path.c_str(), "wb"));
  if (!f) throw file_error(describe("impossibile creare", temp_path, errno));
  temps_.push_back(temp_path);
  bool ok = true;
  int err = 0;
  encode([&](std::string_view chunk) {
    if (ok && !chunk.empty() && std::fwrite(chunk.data(), 1, chunk.size(), f.get()) != chunk.size()) {
      ok = false;
      err = errno;
    }
  });
  if (ok && std::fflush(f.get()) != 0) {
    ok = false;
    err = errno;
  }
  if (std::fclose(f.release()) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) throw file_error(describe("impossibile scrivere", temp_path, err));
  finals_.push_back(final_path);
}

// Replaces the old set as a whole: the old files are first moved aside,
// then the new ones renamed into place; if any step fails, everything done
// so far is undone, so the directory holds either the old set or the new.
std::vector<std::string> output_set::commit() {
  std::error_code ec;
  for (const std::string& path : finals_) {
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
      throw file_error("impossibile sostituire " + path + ": al suo posto c'e' una cartella");
    }
  }
  std::vector<size_t> aside;   // finals moved to their .prev names
  std::vector<size_t> placed;  // temps renamed into place
  auto undo = [&] {
    for (size_t i : placed) std::filesystem::rename(finals_[i], temps_[i], ec);
    for (size_t i : aside) std::filesystem::rename(finals_[i] + ".prev", finals_[i], ec);
  };
  for (size_t i = 0; i < finals_.size(); ++i) {
    if (!std::filesystem::exists(finals_[i], ec)) continue;
    std::filesystem::rename(finals_[i], finals_[i] + ".prev", ec);
    if (ec) {
      const std::string cause = why(ec);
      undo();
      throw file_error("impossibile sostituire " + finals_[i] + ": " + cause);
    }
    aside.push_back(i);
  }
  for (size_t i = 0; i < temps_.size(); ++i) {
    std::filesystem::rename(temps_[i], finals_[i], ec);
    if (ec) {
      const std::string cause = why(ec);
      undo();
      throw file_error("impossibile sostituire " + finals_[i] + ": " + cause);
    }
    placed.push_back(i);
  }
  for (size_t i : aside) std::filesystem::remove(finals_[i] + ".prev", ec);
  temps_.clear();
  return finals_;
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
