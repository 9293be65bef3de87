#include "platform/posix_recovery_store.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <set>

#include "platform/native_path.h"
#include "text/vb_string.h"

namespace quillan::platform {

namespace {

constexpr const char* kLock = ".lock";
constexpr const char* kCopy = ".copy";
constexpr const char* kPart = ".part";
// A copy larger than this is no copy of ours: the editor holds no such text.
constexpr off_t kMaxCopyBytes = off_t{1} << 30;

std::u16string SystemError(int error) { return text::FromUtf8(std::strerror(error)); }

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Makes each missing folder of path, the last one private.
int MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    if (slash == std::string::npos) return 0;
  }
}

// The regular file `name` in the folder, whole; nullopt when it is not there or not one.
std::optional<std::string> ReadCopy(int folder, const std::string& name) {
  const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
      st.st_size <= kMaxCopyBytes) {
    std::string content(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t n = ::read(fd, content.data() + done, content.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    content.resize(done);
    bytes = std::move(content);
  }
  ::close(fd);
  return bytes;
}

}  // namespace

PosixRecoveryStore::PosixRecoveryStore(std::string folder) : folder_(std::move(folder)) {}

PosixRecoveryStore::~PosixRecoveryStore() {
  std::lock_guard lock(mutex_);
  for (const auto& [id, fd] : claimed_) ::close(fd);
  if (lock_fd_ >= 0) {
    if (!have_copy_) ::unlinkat(folder_fd_, (id_ + kLock).c_str(), 0);
    ::close(lock_fd_);
  }
  if (folder_fd_ >= 0) ::close(folder_fd_);
}

std::string PosixRecoveryStore::DefaultFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/quillan";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/state/quillan";
}

std::string PosixRecoveryStore::PathOf(std::string_view id, const char* suffix) const {
  return std::string(id) + suffix;
}

std::string PosixRecoveryStore::id() const {
  std::lock_guard lock(mutex_);
  return id_;
}

std::u16string PosixRecoveryStore::Where() const { return PathFromNative(folder_); }

int PosixRecoveryStore::OpenFolder() {
  if (folder_fd_ >= 0) return 0;
  if (folder_.empty() || folder_[0] != '/') return ENOENT;
  if (const int error = MakeFolders(folder_)) return error;
  const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
    ::close(fd);
    return EPERM;  // someone else's folder: nothing of ours goes there
  }
  if ((st.st_mode & 077) != 0) ::fchmod(fd, 0700);
  folder_fd_ = fd;
  return 0;
}

int PosixRecoveryStore::OpenSession() {
  if (lock_fd_ >= 0) return 0;
  if (const int error = OpenFolder()) return error;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = "session-" + std::to_string(::getpid()) + "-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % 36];
    const int fd = ::openat(folder_fd_, (name + kLock).c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return errno;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      return error;
    }
    id_ = std::move(name);
    lock_fd_ = fd;
    return 0;
  }
  return EEXIST;
}

std::optional<std::u16string> PosixRecoveryStore::Write(std::string_view header,
                                                        std::string_view text) {
  std::lock_guard lock(mutex_);
  if (const int error = OpenSession()) return SystemError(error);
  const std::string part = PathOf(id_, kPart);
  const int fd = ::openat(folder_fd_, part.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return SystemError(errno);
  int error = WriteAll(fd, header);
  if (error == 0) error = WriteAll(fd, text);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 &&
      ::renameat(folder_fd_, part.c_str(), folder_fd_, PathOf(id_, kCopy).c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlinkat(folder_fd_, part.c_str(), 0);
    return SystemError(error);
  }
  ::fsync(folder_fd_);
  have_copy_ = true;
  return std::nullopt;
}

void PosixRecoveryStore::Remove() {
  std::lock_guard lock(mutex_);
  if (lock_fd_ < 0) return;
  ::unlinkat(folder_fd_, PathOf(id_, kCopy).c_str(), 0);
  ::unlinkat(folder_fd_, PathOf(id_, kPart).c_str(), 0);
  have_copy_ = false;
}

std::vector<document::LeftCopy> PosixRecoveryStore::ClaimLeft(std::string_view only) {
  std::lock_guard lock(mutex_);
  std::vector<document::LeftCopy> found;
  // Nothing was ever kept when there is no folder: it is not made just to look.
  struct stat st {};
  if (::lstat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || OpenFolder() != 0) {
    return found;
  }
  // Every session the folder names, by its lock, its copy or a half-written copy.
  std::set<std::string, std::less<>> ids;
  const int list_fd = ::dup(folder_fd_);
  DIR* dir = list_fd < 0 ? nullptr : ::fdopendir(list_fd);
  if (dir == nullptr) {
    if (list_fd >= 0) ::close(list_fd);
    return found;
  }
  ::rewinddir(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    for (const char* suffix : {kLock, kCopy, kPart}) {
      if (name.size() > std::strlen(suffix) && name.ends_with(suffix)) {
        ids.emplace(name.substr(0, name.size() - std::strlen(suffix)));
      }
    }
  }
  ::closedir(dir);
  for (const std::string& id : ids) {
    if (id == id_ || claimed_.count(id) != 0 || (!only.empty() && id != only)) continue;
    const int fd = ::openat(folder_fd_, PathOf(id, kLock).c_str(),
                            O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    struct stat lock_st {};
    if (::fstat(fd, &lock_st) != 0 || !S_ISREG(lock_st.st_mode) || lock_st.st_uid != ::geteuid() ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);  // a Quillan that runs holds it, or it is not ours
      continue;
    }
    // The half-written copy of a write that was cut off is of no use.
    ::unlinkat(folder_fd_, PathOf(id, kPart).c_str(), 0);
    std::optional<std::string> bytes = ReadCopy(folder_fd_, PathOf(id, kCopy));
    if (!bytes) {
      ::unlinkat(folder_fd_, PathOf(id, kLock).c_str(), 0);
      ::close(fd);
      continue;
    }
    claimed_.emplace(id, fd);
    found.push_back({id, std::move(*bytes)});
  }
  return found;
}

void PosixRecoveryStore::Adopt(std::string_view id) {
  std::lock_guard lock(mutex_);
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  if (OpenSession() == 0 && ::renameat(folder_fd_, PathOf(id, kCopy).c_str(), folder_fd_,
                                       PathOf(id_, kCopy).c_str()) == 0) {
    have_copy_ = true;
    ::unlinkat(folder_fd_, PathOf(id, kLock).c_str(), 0);
  }
  // Should the copy not move, it stays where it was, to be offered again.
  ::close(it->second);
  claimed_.erase(it);
}

void PosixRecoveryStore::Discard(std::string_view id) {
  std::lock_guard lock(mutex_);
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  ::unlinkat(folder_fd_, PathOf(id, kCopy).c_str(), 0);
  ::unlinkat(folder_fd_, PathOf(id, kLock).c_str(), 0);
  ::close(it->second);
  claimed_.erase(it);
}

void PosixRecoveryStore::Release(std::string_view id) {
  std::lock_guard lock(mutex_);
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  ::close(it->second);
  claimed_.erase(it);
}

}  // namespace quillan::platform
