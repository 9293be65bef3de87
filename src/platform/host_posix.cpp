#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/display_check.h"
#include "platform/host.h"
#include "platform/native_path.h"
#include "platform/posix_file_store.h"
#include "platform/posix_recovery_store.h"

namespace quillan::platform {

std::optional<std::string> PrepareProcess() {
  // A save beyond the file-size limit fails with "File too large" instead of ending us.
  IgnoreFileSizeSignal();
  return MissingDisplay();
}

std::vector<std::u16string> ProgramArguments(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(PathFromNative(argv[i]));
  return arguments;
}

std::u16string CurrentFolder() {
  std::string folder(4096, '\0');
  if (::getcwd(folder.data(), folder.size()) == nullptr) return {};
  folder.resize(std::strlen(folder.c_str()));
  return PathFromNative(folder);
}

bool IsAbsolutePath(std::u16string_view path) { return path.starts_with(u'/'); }

std::unique_ptr<document::FileStore> MakeFileStore() { return std::make_unique<PosixFileStore>(); }

std::unique_ptr<document::RecoveryStore> MakeRecoveryStore() {
  return std::make_unique<PosixRecoveryStore>(PosixRecoveryStore::DefaultFolder());
}

namespace {

// The writing end of the pipe the signal handler reports to; -1 until it is made.
volatile sig_atomic_t end_request_writer = -1;

void OnEndRequest(int signal_number) {
  // Only what is safe in a handler: one byte into the pipe, errno kept.
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal_number);
  if (end_request_writer >= 0) {
    [[maybe_unused]] const ssize_t n = ::write(end_request_writer, &byte, 1);
  }
  errno = saved;
}

}  // namespace

int WatchEndRequests() {
  static int reader = -1;
  if (reader >= 0) return reader;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  reader = ends[0];
  end_request_writer = ends[1];
  struct sigaction action {};
  action.sa_handler = OnEndRequest;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
  return reader;
}

int TakeEndRequest(int descriptor) {
  unsigned char byte = 0;
  int taken = 0;
  // Several requests count as one; the last one names the signal.
  while (::read(descriptor, &byte, 1) == 1) taken = byte;
  return taken;
}

std::unique_ptr<wintools::ByteSource> OpenFileBytes(std::u16string_view path) {
  return PosixFileBytes::Open(path);
}

}  // namespace quillan::platform
