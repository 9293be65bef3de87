#include "platform/posix_file_store.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
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
  // Closes the descriptor held and holds fd instead.
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now and reports a failure to close (a write the system could not finish).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Writes all of bytes from offset 0 of fd; 0 or the error.
int WriteAllAt(int fd, std::string_view bytes) {
  off_t offset = 0;
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return 0;
}

// Reads the whole of fd from offset 0, without moving its offset; 0 or the error (EFBIG when
// it holds more than limit bytes).
int ReadAllAt(int fd, std::size_t limit, std::string& out) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(out.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    if (out.size() + static_cast<std::size_t>(n) > limit) return EFBIG;
    out.append(chunk, static_cast<std::size_t>(n));
  }
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

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Temporary files of a save are named kTempPrefix and six letters or digits (mkstemp's).
constexpr std::string_view kTempPrefix = ".quillan-save-";

bool IsTempName(std::string_view name) {
  if (name.size() != kTempPrefix.size() + 6 || !name.starts_with(kTempPrefix)) return false;
  for (const char c : name.substr(kTempPrefix.size())) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// A save holds a lock on its temporary file for as long as it writes; a file of ours this old
// and unlocked was left by a save that never finished (the program was killed, the machine
// lost power).
constexpr std::int64_t kLeftoverAfterNs = 10'000'000'000;

// Removes the temporary file `name` in the folder open as dir if it is a leftover: a regular
// file (a link under the name is left alone) of the effective user, older than a save takes
// to begin its lock, and locked by no live save. Anything unexpected keeps it.
void RemoveIfLeftover(int dir, const char* name, std::int64_t now_ns) {
  struct stat seen {};
  if (::fstatat(dir, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode) ||
      seen.st_uid != ::geteuid() || now_ns - Nanoseconds(seen.st_mtim) < kLeftoverAfterNs) {
    return;
  }
  Descriptor fd(::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !SameFile(opened, seen) ||
      !S_ISREG(opened.st_mode) || opened.st_uid != ::geteuid()) {
    return;
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return;  // a save is writing it
  // The name may have been given to another file since it was opened.
  struct stat now {};
  if (::fstatat(dir, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(now, opened)) {
    ::unlinkat(dir, name, 0);
  }
}

// Removes the leftovers of earlier saves in folder, reading the folder once; names of another
// pattern cost nothing more than the reading.
void RemoveLeftovers(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    ::close(fd);
    return;
  }
  const std::int64_t now_ns = NowNs();
  while (const dirent* entry = ::readdir(listing)) {
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    if (IsTempName(entry->d_name)) RemoveIfLeftover(::dirfd(listing), entry->d_name, now_ns);
  }
  ::closedir(listing);
}

// Whom a new file written in place of another belongs to.
enum class Owner {
  kSameOrFail,     // the owner and group of `like`, else EPERM
  kSameOrPrivate,  // the owner and group of `like`, else the user's own, readable only by them
};

// Writes bytes to a new file beside `target` and renames it over the target, giving it the
// owner and mode in `like` (or the defaults). 0 or the error; EPERM means the owner cannot be
// kept. The new file is locked while it is written, so that no other save takes it for a
// leftover.
int ReplaceByRename(const std::string& target, std::string_view bytes, const struct stat* like,
                    Owner owner = Owner::kSameOrFail) {
  std::string temp = FolderOf(target) + "/" + std::string(kTempPrefix) + "XXXXXX";
  Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return errno;
  auto fail = [&temp](int error) {
    ::unlink(temp.c_str());
    return error;
  };
  ::flock(fd.get(), LOCK_EX);
  mode_t mode = like != nullptr ? (like->st_mode & 07777) : DefaultMode();
  if (like != nullptr && (like->st_uid != ::geteuid() || like->st_gid != ::getegid()) &&
      ::fchown(fd.get(), like->st_uid, like->st_gid) != 0) {
    if (owner == Owner::kSameOrFail) return fail(EPERM);
    mode = S_IRUSR | S_IWUSR;
  }
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  if (const int error = WriteAllAt(fd.get(), bytes)) return fail(error);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (const int error = fd.Close()) return fail(error);
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
  return 0;
}

// Reserves room for size bytes in fd, so that a full disk or the file-size limit fails the
// write before it changed a byte. 0, or the error when the room is not there; a file system
// that cannot reserve counts as success.
int Reserve(int fd, off_t size) {
  if (size == 0) return 0;
  int error = 0;
  do {
    error = ::posix_fallocate(fd, 0, size);
  } while (error == EINTR);
  return error == EOPNOTSUPP || error == EINVAL || error == ENOSYS ? 0 : error;
}

// Follows the symbolic links at path to where they end. Relative targets count from the folder
// of their link, as the system reads them.
struct LinkEnd {
  std::string path;  // the last name reached
  int error = 0;     // 0: path is no link (st holds it), or nothing is there
  bool exists = false;
  bool through_link = false;  // at least one link was followed
  struct stat st {};
};

constexpr int kMaxLinks = 40;

LinkEnd FollowLinks(std::string path) {
  LinkEnd end;
  for (int hops = 0;; ++hops) {
    end.path = path;
    end.through_link = hops > 0;
    if (::lstat(path.c_str(), &end.st) != 0) {
      if (errno != ENOENT) end.error = errno;
      return end;
    }
    if (!S_ISLNK(end.st.st_mode)) {
      end.exists = true;
      return end;
    }
    if (hops == kMaxLinks) {
      end.error = ELOOP;
      return end;
    }
    std::string target(256, '\0');
    for (;;) {
      const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
      if (n < 0) {
        end.error = errno;
        return end;
      }
      if (static_cast<std::size_t>(n) < target.size()) {
        target.resize(static_cast<std::size_t>(n));
        break;
      }
      target.resize(target.size() * 2);
    }
    const std::size_t slash = path.rfind('/');
    if (!target.starts_with('/') && slash != std::string::npos) {
      target.insert(0, path, 0, slash + 1);
    }
    path = std::move(target);
  }
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
  if (static_cast<std::uint64_t>(st.st_size) > options_.max_read_bytes) {
    result.error = too_large;
    return result;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size) +
                document::ReadRoom(static_cast<std::size_t>(st.st_size)));
  if (const int error = ReadAll(fd.get(), options_.max_read_bytes, bytes)) {
    result.error = error == EFBIG ? too_large : SystemError(error);
    return result;
  }
  result.stamp = StampOf(st);
  result.bytes = std::move(bytes);
  return result;
}

std::optional<std::u16string> PosixFileStore::Write(std::u16string_view path,
                                                    std::string_view bytes) {
  // Through symbolic links: the file they end at is written, and the links stay.
  const LinkEnd end = FollowLinks(NativePath(path));
  if (end.error != 0) return SystemError(end.error);
  const std::string& target = end.path;
  if (!end.exists) {
    // Creating a file through a link to nothing would write wherever its maker chose.
    if (end.through_link) {
      return u"Is a symbolic link to \"" + PathFromNative(target) + u"\", which does not exist";
    }
    RemoveLeftovers(FolderOf(target));
    if (const int error = ReplaceByRename(target, bytes, nullptr)) return SystemError(error);
    return std::nullopt;
  }
  // A device or pipe is no project: writing there would not even keep the bytes.
  if (!S_ISREG(end.st.st_mode)) return KindError(end.st);

  // Opened once, and only the file that was checked: should another user who may write the
  // folder have put a link or another file in its place since, nothing is written. The open
  // also tells whether the user may write the file (a file they may not write stays as it is,
  // although its folder would let it be replaced).
  if (options_.before_open) options_.before_open(target);
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  bool readable = true;
  Descriptor fd(::open(target.c_str(), O_RDWR | kFlags));
  if (fd.get() < 0 && errno == EACCES) {
    readable = false;  // a file the user may write but not read can still be replaced
    fd.Reset(::open(target.c_str(), O_WRONLY | kFlags));
  }
  constexpr std::u16string_view kReplaced =
      u"The file was replaced by another while it was being saved; nothing was written";
  if (fd.get() < 0) return errno == ELOOP ? std::u16string(kReplaced) : SystemError(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return SystemError(errno);
  if (!SameFile(st, end.st) || !S_ISREG(st.st_mode)) return std::u16string(kReplaced);

  RemoveLeftovers(FolderOf(target));
  if (st.st_nlink == 1) {
    const int error = ReplaceByRename(target, bytes, &st);
    if (error == 0) return std::nullopt;
    if (error != EPERM) return SystemError(error);
  }
  // In place: first a copy of the old content beside the file, so that nothing is lost when
  // the write fails half-way.
  constexpr std::u16string_view kNoCopy = u" (no copy of the old content could be made beside it)";
  std::string old;
  if (!readable) return SystemError(EACCES) + std::u16string(kNoCopy);
  if (const int error = ReadAllAt(fd.get(), options_.max_read_bytes, old)) {
    return SystemError(error) + std::u16string(kNoCopy);
  }
  const std::string backup = BackupPath(target);
  if (const int error = ReplaceByRename(backup, old, &st, Owner::kSameOrPrivate)) {
    return SystemError(error) + std::u16string(kNoCopy);
  }
  if (const int error = Reserve(fd.get(), static_cast<off_t>(bytes.size()))) {
    // Nothing was overwritten; a reservation that failed part-way may have lengthened the file.
    struct stat now {};
    if (::fstat(fd.get(), &now) == 0 && now.st_size > static_cast<off_t>(old.size())) {
      (void)::ftruncate(fd.get(), static_cast<off_t>(old.size()));
    }
    ::unlink(backup.c_str());
    return SystemError(error);
  }
  int error = WriteAllAt(fd.get(), bytes);
  if (error == 0 && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0) error = errno;
  if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
  if (error == 0) error = fd.Close();
  if (error != 0) {
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
