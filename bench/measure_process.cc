// measure_process COMMAND [ARG...]
// Runs COMMAND once and prints "<wall ns> <peak RSS KiB> <exit status> <CPU ns>"
// on standard output: the wall time on the monotonic clock from just before
// the fork to the reaping of the child, the child's peak resident set size
// as the kernel accounts it, and its user plus system CPU time, which other
// load on the machine inflates far less than the wall time. The child's standard output is discarded, its
// standard error kept. Exits with the child's status.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: measure_process COMMAND [ARG...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("measure_process: fork");
    return 2;
  }
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execvp(argv[1], argv + 1);
    std::perror("measure_process: exec");
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) {
    std::perror("measure_process: wait4");
    return 2;
  }
  const auto stop = std::chrono::steady_clock::now();
  const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(stop - start).count();
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const long long cpu_us = (static_cast<long long>(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000 +
                          usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
  std::printf("%lld %ld %d %lld\n", ns, usage.ru_maxrss, code, cpu_us * 1000);
  return code;
}
