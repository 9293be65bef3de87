#include "platform/wine/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace quillan::platform {

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether the program has ended: its output may stay open after it.
constexpr auto kExitCheck = std::chrono::milliseconds(20);
// How long a program whose input we closed has to end by itself before it is killed.
constexpr auto kGraceOnClose = std::chrono::milliseconds(200);

int MillisecondsUntil(ChildProcess::Deadline deadline, std::chrono::milliseconds most) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp(left, std::chrono::milliseconds(0), most).count());
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Puts fd at target in a child about to exec, without the close-on-exec flag.
void MoveTo(int fd, int target) {
  if (fd == target) {
    ::fcntl(target, F_SETFD, 0);
  } else {
    ::dup2(fd, target);
  }
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::vector<std::string>& environment,
                                                  std::string& error) {
  if (argv.empty()) {
    error = "nothing to start";
    return nullptr;
  }
  // Everything the child needs is made before the fork: after it, in a process that may have
  // other threads, the child may only make system calls.
  std::vector<char*> args, env;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  int input[2] = {-1, -1}, output[2] = {-1, -1}, failure[2] = {-1, -1};
  int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere < 0 || ::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
      ::pipe2(failure, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    for (int* fd : {&nowhere, &input[0], &input[1], &output[0], &output[1], &failure[0]}) {
      CloseIfOpen(*fd);
    }
    return nullptr;
  }
  const pid_t parent = ::getpid();
  // No signal handler of ours may run in the child before it execs.
  sigset_t all, before;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &before);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);  // we ended before the line above took effect
    MoveTo(input[0], STDIN_FILENO);
    MoveTo(output[1], STDOUT_FILENO);
    MoveTo(nowhere, STDERR_FILENO);
    // No other descriptor of ours, whoever opened it, goes to the program.
    ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int s : {SIGPIPE, SIGXFSZ}) ::sigaction(s, &plain, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(args[0], args.data(), env.data());
    const int why = errno;
    [[maybe_unused]] const ssize_t n = ::write(failure[1], &why, sizeof why);
    ::_exit(127);
  }
  const int fork_error = errno;
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  for (int* fd : {&nowhere, &input[0], &output[1], &failure[1]}) CloseIfOpen(*fd);
  if (pid < 0) {
    error = std::strerror(fork_error);
    for (int* fd : {&input[1], &output[0], &failure[0]}) CloseIfOpen(*fd);
    return nullptr;
  }
  // The failure pipe closes at the exec; before that, the child reports why the exec failed.
  int why = 0;
  ssize_t n;
  do {
    n = ::read(failure[0], &why, sizeof why);
  } while (n < 0 && errno == EINTR);
  CloseIfOpen(failure[0]);
  if (n == sizeof why) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    error = std::strerror(why);
    CloseIfOpen(input[1]);
    CloseIfOpen(output[0]);
    return nullptr;
  }
  ::fcntl(input[1], F_SETFL, O_NONBLOCK);
  ::fcntl(output[0], F_SETFL, O_NONBLOCK);
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid, input[1], output[0]));
}

ChildProcess::~ChildProcess() {
  // With its input closed the program may end by itself; it is killed if it does not.
  CloseIfOpen(input_);
  const Deadline grace = Clock::now() + kGraceOnClose;
  while (Running() && Clock::now() < grace)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  Kill();
  CloseIfOpen(output_);
}

bool ChildProcess::Write(std::string_view bytes, Deadline deadline) {
  if (input_ < 0) return false;
  // A program that has gone makes the write fail with EPIPE, and sends SIGPIPE, which would
  // end us: the signal is blocked meanwhile and, if the write raised it, taken back.
  sigset_t pipe_signal, before, pending;
  ::sigemptyset(&pipe_signal);
  ::sigaddset(&pipe_signal, SIGPIPE);
  ::sigpending(&pending);
  const bool was_pending = ::sigismember(&pending, SIGPIPE) == 1;
  ::pthread_sigmask(SIG_BLOCK, &pipe_signal, &before);
  bool ok = true;
  while (!bytes.empty()) {
    const ssize_t n = ::write(input_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && Clock::now() < deadline) {
      pollfd p{input_, POLLOUT, 0};
      ::poll(&p, 1, MillisecondsUntil(deadline, kExitCheck));
      if (Running()) continue;
    }
    ok = false;
    break;
  }
  if (!ok && !was_pending) {
    const timespec now{};
    ::sigtimedwait(&pipe_signal, nullptr, &now);
  }
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return ok;
}

ChildProcess::Output ChildProcess::Read(std::string& into, Deadline deadline) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(output_, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      return Output::kData;
    }
    if (n == 0) return Output::kEnded;  // no writer is left
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return Output::kEnded;
    if (!Running()) {
      // What it wrote just before it ended is still there to read.
      const ssize_t last = ::read(output_, buffer, sizeof buffer);
      if (last <= 0) return Output::kEnded;
      into.append(buffer, static_cast<std::size_t>(last));
      return Output::kData;
    }
    if (Clock::now() >= deadline) return Output::kTimedOut;
    pollfd p{output_, POLLIN, 0};
    ::poll(&p, 1, MillisecondsUntil(deadline, kExitCheck));
  }
}

bool ChildProcess::Running() {
  if (pid_ < 0) return false;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid_, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == 0) return true;
  pid_ = -1;  // collected (or collected by someone else): never signalled again
  return false;
}

void ChildProcess::Kill() {
  if (pid_ < 0) return;
  ::kill(pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace quillan::platform
