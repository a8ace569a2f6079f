#include "tool/lsp/input.h"

#include <cerrno>
#include <chrono>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

#include "tool/lsp/framing.h"

namespace scenario::tool {
namespace {

// Under a stream of messages that never pauses, the findings of the
// changes are published at least this often.
constexpr std::chrono::milliseconds kLongestWait{500};

class standard_input_stream : public message_input {
 public:
  size_t read(char* data, size_t size) override {
#ifdef _WIN32
    const int n = _read(0, data, static_cast<unsigned>(size));
    return n > 0 ? static_cast<size_t>(n) : 0;
#else
    for (;;) {
      const ssize_t n = ::read(0, data, size);
      if (n >= 0) return static_cast<size_t>(n);
      if (errno != EINTR) return 0;
    }
#endif
  }

  bool ready() override {
#ifdef _WIN32
    // Editors start servers on pipes; of anything else nothing is known.
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (GetFileType(in) != FILE_TYPE_PIPE) return false;
    DWORD waiting = 0;
    if (!PeekNamedPipe(in, nullptr, 0, nullptr, &waiting, nullptr)) return true;  // closed: the end
    return waiting > 0;
#else
    pollfd in{0, POLLIN, 0};
    return ::poll(&in, 1, 0) > 0;
#endif
  }
};

}  // namespace

std::unique_ptr<message_input> standard_input() { return std::make_unique<standard_input_stream>(); }

void serve_messages(message_input& input, language_server& server, std::ostream& err) {
  using clock = std::chrono::steady_clock;
  message_framer framer;
  std::vector<char> buffer(size_t{1} << 16);
  clock::time_point first_change;
  while (!server.exited()) {
    if (server.has_pending() && (!input.ready() || clock::now() - first_change > kLongestWait)) {
      server.check_pending();
      continue;
    }
    const size_t n = input.read(buffer.data(), buffer.size());
    if (n == 0) break;
    framer.feed(std::string_view(buffer.data(), n));
    while (auto message = framer.next()) {
      if (!message->problem.empty()) {
        err << "scenario lsp: " << message->problem << "\n";
        server.refuse_message(message->problem);
        continue;
      }
      const bool had_changes = server.has_pending();
      server.handle(message->body);
      if (!had_changes && server.has_pending()) first_change = clock::now();
      if (server.exited()) break;
    }
  }
  // Input that ended without "exit" (a script, say) still gets its findings.
  if (!server.exited()) server.check_pending();
}

}  // namespace scenario::tool
