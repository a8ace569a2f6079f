// Development platform: the window's word and every report go to standard
// error; the directory comes from /proc/self/exe.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "run/platform.h"

namespace scenario {
namespace {

class posix_platform : public platform {
 public:
  void show_wait_window() override { std::fputs("Attendere\n", stderr); }

  void show_report(const std::string& message) override {
    std::fputs(message.c_str(), stderr);
    std::fputc('\n', stderr);
  }

  std::string program_file() override {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) return {};
    path.resize(static_cast<size_t>(n));
    return path;
  }

  std::string application_directory() override {
    const std::string path = program_file();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
  }

  void close_window() override {}
};

}  // namespace

std::unique_ptr<platform> make_platform() { return std::make_unique<posix_platform>(); }

}  // namespace scenario
