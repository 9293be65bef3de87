#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::platform {

/// A program we start and talk to through its standard input and output, with a deadline on
/// every wait. It never outlives us: it gets SIGKILL when the thread that started it ends,
/// and destroying this object ends it and collects it.
///
/// The program's output is never read to its end: what it starts (Wine's explorer.exe, for
/// one) may inherit that output and keep it open long after the program itself is gone. Its
/// end is seen from its exit instead.
class ChildProcess {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  /// Starts argv[0] (a path) with argv and exactly `environment` ("NAME=value" each), its
  /// standard input and output as pipes to us and its standard error going nowhere. Null
  /// when it cannot be started; `error` then says why (the system's words).
  static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                             const std::vector<std::string>& environment,
                                             std::string& error);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  /// Writes all of `bytes` to its input by the deadline; false when it did not take them in
  /// time or cannot take them any more.
  bool Write(std::string_view bytes, Deadline deadline);

  enum class Output { kData, kTimedOut, kEnded };
  /// Waits until the deadline for output and appends what came; kEnded when the program has
  /// ended (or closed its output) with nothing more to read.
  Output Read(std::string& into, Deadline deadline);

  /// Whether it still runs; once it has ended it is collected.
  bool Running();
  /// Ends it now and collects it.
  void Kill();
  /// Its process id while it has not been collected, else -1.
  pid_t pid() const { return pid_; }

 private:
  ChildProcess(pid_t pid, int input, int output) : pid_(pid), input_(input), output_(output) {}

  pid_t pid_;
  int input_;   // the writing end of its standard input; -1 once closed
  int output_;  // the reading end of its standard output
};

}  // namespace quillan::platform
