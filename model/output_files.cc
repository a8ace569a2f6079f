#include "model/output_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "model/file_names.h"

namespace scenario {
namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + std::strerror(err);
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
  if (!f) throw file_error(describe("cannot create", temp_path, errno));
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
  if (!ok) throw file_error(describe("cannot write", temp_path, err));
  finals_.push_back(final_path);
}

// Replaces the old set as a whole: the old files are first moved aside,
// then the new ones renamed into place; if any step fails, everything done
// so far is undone, so the directory holds either the old set or the new.
std::vector<std::string> output_set::commit() {
  std::error_code ec;
  for (const std::string& path : finals_) {
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
      throw file_error("cannot replace " + path + ": not a file");
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
      const std::string why = ec.message();
      undo();
      throw file_error("cannot replace " + finals_[i] + ": " + why);
    }
    aside.push_back(i);
  }
  for (size_t i = 0; i < temps_.size(); ++i) {
    std::filesystem::rename(temps_[i], finals_[i], ec);
    if (ec) {
      const std::string why = ec.message();
      undo();
      throw file_error("cannot replace " + finals_[i] + ": " + why);
    }
    placed.push_back(i);
  }
  for (size_t i : aside) std::filesystem::remove(finals_[i] + ".prev", ec);
  temps_.clear();
  return finals_;
}

}  // namespace scenario
