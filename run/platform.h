// The few things the program needs from the system it runs on: the waiting
// window, a modal report, and its own directory. One implementation uses
// the Win32 API (the real target), the other standard error (development).
#ifndef RUN_PLATFORM_H_
#define RUN_PLATFORM_H_

#include <cstdio>
#include <memory>
#include <string>

namespace scenario {

class platform {
 public:
  virtual ~platform() = default;

  // Shows Form1 with Label1 "Attendere", modeless, painted once.
  virtual void show_wait_window() = 0;
  // Shows a report (a fault, a failed file) and waits until it is closed.
  virtual void show_report(const std::string& message) = 0;
  // Tells something without stopping the run: standard error (a program
  // started without a console shows nothing; the notes file says it too).
  virtual void notice(const std::string& message) {
    std::fputs(message.c_str(), stderr);
    std::fputc('\n', stderr);
  }
  // Directory of the program file, without a trailing separator.
  virtual std::string application_directory() = 0;
  // The program file itself, whose end may carry a scenario; empty where
  // there is none to read (the run then has the built-in scenario).
  virtual std::string program_file() { return {}; }
  // Destroys the window, if any, before the program ends.
  virtual void close_window() = 0;
};

std::unique_ptr<platform> make_platform();

}  // namespace scenario

#endif  // RUN_PLATFORM_H_
