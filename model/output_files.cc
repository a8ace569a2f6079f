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

std::vector<std::string> output_set::commit() {
  for (size_t i = 0; i < temps_.size(); ++i) {
    std::error_code ec;
    std::filesystem::rename(temps_[i], finals_[i], ec);
    if (ec) throw file_error("cannot replace " + finals_[i] + ": " + ec.message());
  }
  temps_.clear();
  return finals_;
}

}  // namespace scenario
