#include "platform/posix_file_store.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "platform/native_path.h"
#include "text/vb_string.h"

namespace quillan::platform {

namespace {

// A change this close to the time a stamp is taken may fall in the same tick of the file
// system's clock as a later change (FAT counts in two seconds).
constexpr std::int64_t kRacyNs = 2'000'000'000;

std::u16string SystemError(int error) { return text::FromUtf8(std::strerror(error)); }

constexpr std::u16string_view kNotRegular = u"Not a regular file (a device, a pipe or a socket)";
constexpr std::u16string_view kFolder = u"Is a folder, not a project file";

std::u16string KindError(const struct stat& st) {
  return std::u16string(S_ISDIR(st.st_mode) ? kFolder : kNotRegular);
}

document::FileStamp StampOf(const struct stat& st) {
  document::FileStamp stamp;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.mtime_ns =
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t now_ns = static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  stamp.racy = now_ns - stamp.mtime_ns < kRacyNs;
  return stamp;
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports a failure to close (a write the system could not finish).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Writes all of bytes at the descriptor's offset; 0 or the error.
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

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t DefaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes bytes to a new file beside `target` and renames it over the target, giving it the
// owner and mode in `like` (or the defaults). 0 or the error; EPERM from the owner change
// means the owner cannot be kept.
int ReplaceByRename(const std::string& target, std::string_view bytes, const struct stat* like) {
  std::string temp = FolderOf(target) + "/.quillan-save-XXXXXX";
  Descriptor fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return errno;
  auto fail = [&temp](int error) {
    ::unlink(temp.c_str());
    return error;
  };
  const mode_t mode = like != nullptr ? (like->st_mode & 07777) : DefaultMode();
  if (like != nullptr && (like->st_uid != ::geteuid() || like->st_gid != ::getegid()) &&
      ::fchown(fd.get(), like->st_uid, like->st_gid) != 0) {
    return fail(EPERM);
  }
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  if (const int error = WriteAll(fd.get(), bytes)) return fail(error);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (const int error = fd.Close()) return fail(error);
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
  return 0;
}

// Writes bytes into the existing file itself, keeping its inode, links, owner and mode.
int WriteInPlace(const std::string& target, std::string_view bytes) {
  Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return errno;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return EINVAL;
  if (const int error = WriteAll(fd.get(), bytes)) return error;
  if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0) return errno;
  if (::fsync(fd.get()) != 0) return errno;
  return fd.Close();
}

// Reads a regular file whole through fd.
int ReadAll(int fd, std::size_t limit, std::string& out) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    if (out.size() + static_cast<std::size_t>(n) > limit) return EFBIG;
    out.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace

std::string PosixFileStore::BackupPath(const std::string& native_path) {
  return native_path + ".quillan-backup";
}

document::FileStore::ReadResult PosixFileStore::Read(std::u16string_view path) {
  ReadResult result;
  const std::string native = NativePath(path);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) {
    result.error = SystemError(errno);
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    result.error = KindError(st);
    return result;
  }
  // Not blocking: should the name have become a pipe since, the open must not wait.
  Descriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) {
    result.error = SystemError(errno);
    return result;
  }
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    result.error = std::u16string(kNotRegular);
    return result;
  }
  const std::u16string too_large = u"Larger than 512 MB, too large to open";
  if (static_cast<std::uint64_t>(st.st_size) > max_read_bytes_) {
    result.error = too_large;
    return result;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  if (const int error = ReadAll(fd.get(), max_read_bytes_, bytes)) {
    result.error = error == EFBIG ? too_large : SystemError(error);
    return result;
  }
  result.stamp = StampOf(st);
  result.bytes = std::move(bytes);
  return result;
}

std::optional<std::u16string> PosixFileStore::Write(std::u16string_view path,
                                                    std::string_view bytes) {
  const std::string native = NativePath(path);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) {
    if (errno != ENOENT) return SystemError(errno);
    if (const int error = ReplaceByRename(native, bytes, nullptr)) return SystemError(error);
    return std::nullopt;
  }
  // A device or pipe is no project: writing there would not even keep the bytes.
  if (!S_ISREG(st.st_mode)) return KindError(st);
  // A file the user may not write stays as it is, although its folder would let it be
  // replaced.
  if (::access(native.c_str(), W_OK) != 0) return SystemError(errno);
  if (st.st_nlink == 1) {
    const int error = ReplaceByRename(native, bytes, &st);
    if (error == 0) return std::nullopt;
    if (error != EPERM) return SystemError(error);
  }
  // In place: first a copy of the old content beside the file, so that nothing is lost when
  // the write fails half-way.
  ReadResult old = Read(path);
  if (!old.bytes) return old.error;
  const std::string backup = BackupPath(native);
  if (const int error = ReplaceByRename(backup, *old.bytes, &st)) {
    return SystemError(error) + u" (no copy of the old content could be made beside it)";
  }
  if (const int error = WriteInPlace(native, bytes)) {
    return SystemError(error) + u"; its old content is kept in \"" + PathFromNative(backup) + u"\"";
  }
  ::unlink(backup.c_str());
  return std::nullopt;
}

std::optional<document::FileStamp> PosixFileStore::Stamp(std::u16string_view path) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return StampOf(st);
}

std::unique_ptr<PosixFileBytes> PosixFileBytes::Open(std::u16string_view path) {
  const std::string native = NativePath(path);
  // Not blocking, and checked after opening: a pipe or device must neither block nor be read.
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<PosixFileBytes>(
      new PosixFileBytes(fd, static_cast<std::uint64_t>(st.st_size)));
}

PosixFileBytes::~PosixFileBytes() { ::close(fd_); }

bool PosixFileBytes::Read(std::uint64_t offset, std::size_t n, std::string& out) {
  if (offset > size_ || n > size_ - offset) return false;
  out.resize(n);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got =
        ::pread(fd_, out.data() + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // an error, or the file shrank
    done += static_cast<std::size_t>(got);
  }
  bytes_read_ += n;
  return true;
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace quillan::platform
