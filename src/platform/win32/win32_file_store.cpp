#include "platform/win32/win32_file_store.h"

#include <atomic>
#include <string>

#include "platform/win32/windows_api.h"
#include "text/vb_string.h"

namespace quillan::platform {

namespace {

constexpr std::u16string_view kNotOnDisk = u"Not a file on disk (a device or a pipe)";
constexpr std::u16string_view kFolder = u"Is a folder, not a project file";
// A change this close to the time a stamp is taken may fall in the same tick of the file
// system's clock as a later change (FAT counts in two seconds).
constexpr std::int64_t kRacyNs = 2'000'000'000;

HANDLE OpenForReading(const std::u16string& path) {
  return ::CreateFileW(Wide(path), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsFolder(const std::u16string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::int64_t FileTimeNs(FILETIME t) {
  // 100-nanosecond ticks since 1601.
  const std::uint64_t ticks = (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
  return static_cast<std::int64_t>(ticks) * 100;
}

std::optional<document::FileStamp> StampOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(h, &info) == 0) return std::nullopt;
  document::FileStamp stamp;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  stamp.mtime_ns = FileTimeNs(info.ftLastWriteTime);
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  stamp.racy = FileTimeNs(now) - stamp.mtime_ns < kRacyNs;
  return stamp;
}

// The folder part of path with its last separator, "" for a bare name.
std::u16string FolderOf(const std::u16string& path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

// The temporary file of a save is named kTempPrefix, the process's id, '-', a count and
// kTempSuffix.
constexpr std::u16string_view kTempPrefix = u".quillan-save-";
constexpr std::u16string_view kTempSuffix = u".tmp";

bool IsTempName(std::u16string_view name) {
  if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || !name.starts_with(kTempPrefix) ||
      !name.ends_with(kTempSuffix)) {
    return false;
  }
  name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
  auto number = [](std::u16string_view digits) {
    if (digits.empty() || digits.size() > 10) return false;
    for (const char16_t c : digits) {
      if (c < u'0' || c > u'9') return false;
    }
    return true;
  };
  const std::size_t dash = name.find(u'-');
  return dash != std::u16string_view::npos && number(name.substr(0, dash)) &&
         number(name.substr(dash + 1));
}

// A save holds its temporary file open without sharing for as long as it writes it; a file of
// ours this old that nobody holds open was left by a save that never finished (the program
// was killed, the machine lost power).
constexpr std::int64_t kLeftoverAfterNs = 10'000'000'000;

// Deletes the temporary file at path if it is a leftover: an ordinary file (a link or other
// reparse point under the name is left alone, and so is a folder), older than a save takes to
// write it, and open nowhere else. Anything unexpected keeps it.
void RemoveIfLeftover(const std::u16string& path, std::int64_t now_ns) {
  // Without sharing, the open fails while any other handle to the file is open.
  Handle h(::CreateFileW(Wide(path), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.valid() || ::GetFileType(h.get()) != FILE_TYPE_DISK ||
      ::GetFileInformationByHandle(h.get(), &info) == 0 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      now_ns - FileTimeNs(info.ftLastWriteTime) < kLeftoverAfterNs) {
    return;
  }
  DeleteWhenClosed(h.get());
}

// Removes the leftovers of earlier saves in folder (which ends in its separator, or is "" for
// the current folder).
void RemoveLeftovers(const std::u16string& folder) {
  WIN32_FIND_DATAW entry;
  const HANDLE listing =
      ::FindFirstFileExW(Wide(folder + std::u16string(kTempPrefix) + u"*"), FindExInfoBasic, &entry,
                         FindExSearchNameMatch, nullptr, 0);
  if (listing == INVALID_HANDLE_VALUE) return;
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  do {
    const std::u16string name(reinterpret_cast<const char16_t*>(entry.cFileName));
    if (IsTempName(name) &&
        (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
      RemoveIfLeftover(folder + name, FileTimeNs(now));
    }
  } while (::FindNextFileW(listing, &entry) != 0);
  ::FindClose(listing);
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (::WriteFile(h, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

document::FileStore::ReadResult Win32FileStore::Read(std::u16string_view path_view) {
  ReadResult result;
  const std::u16string path(path_view);
  if (IsFolder(path)) {
    result.error = kFolder;
    return result;
  }
  Handle h(OpenForReading(path));
  if (!h.valid()) {
    result.error = SystemError(::GetLastError());
    return result;
  }
  if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
    result.error = kNotOnDisk;
    return result;
  }
  const auto stamp = StampOf(h.get());
  if (!stamp) {
    result.error = SystemError(::GetLastError());
    return result;
  }
  if (stamp->size > max_read_bytes_) {
    result.error = u"Larger than " + text::FromUtf8(std::to_string(max_read_bytes_ >> 20)) +
                   u" MB, too large to open";
    return result;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(stamp->size) +
                document::ReadRoom(static_cast<std::size_t>(stamp->size)));
  bytes.resize(static_cast<std::size_t>(stamp->size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD n = 0;
    if (::ReadFile(h.get(), bytes.data() + done, chunk, &n, nullptr) == 0) {
      result.error = SystemError(::GetLastError());
      return result;
    }
    if (n == 0) break;  // the file shrank while it was read
    done += n;
  }
  bytes.resize(done);
  result.bytes = std::move(bytes);
  result.stamp = *stamp;
  return result;
}

std::optional<std::u16string> Win32FileStore::Write(std::u16string_view path_view,
                                                    std::string_view bytes) {
  const std::u16string target(path_view);
  if (IsFolder(target)) return std::u16string(kFolder);
  const DWORD target_attributes = ::GetFileAttributesW(Wide(target));
  const bool exists = target_attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    Handle existing(OpenForReading(target));
    if (existing.valid() && ::GetFileType(existing.get()) != FILE_TYPE_DISK) {
      return std::u16string(kNotOnDisk);
    }
  }
  // A temporary file beside the target, on the same volume, so that it can take its place. It
  // is held open without sharing while it is written, so that no other save takes it for a
  // leftover.
  RemoveLeftovers(FolderOf(target));
  static std::atomic<unsigned> counter{0};
  const std::u16string temp =
      FolderOf(target) + std::u16string(kTempPrefix) +
      text::FromUtf8(std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter)) +
      std::u16string(kTempSuffix);
  auto fail = [&temp](DWORD error) -> std::optional<std::u16string> {
    ::DeleteFileW(Wide(temp));
    return SystemError(error);
  };
  {
    Handle h(::CreateFileW(Wide(temp), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
    if (!h.valid()) return SystemError(::GetLastError());
    if (!WriteAll(h.get(), bytes) || ::FlushFileBuffers(h.get()) == 0) {
      const DWORD error = ::GetLastError();
      h.Close();
      return fail(error);
    }
    if (!h.Close()) return fail(::GetLastError());
  }
  if (exists) {
    if (::ReplaceFileW(Wide(target), Wide(temp), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr) == 0) {
      return fail(::GetLastError());
    }
  } else if (::MoveFileExW(Wide(temp), Wide(target), MOVEFILE_WRITE_THROUGH) == 0) {
    return fail(::GetLastError());
  }
  return std::nullopt;
}

std::optional<document::FileStamp> Win32FileStore::Stamp(std::u16string_view path) {
  Handle h(OpenForReading(std::u16string(path)));
  if (!h.valid() || ::GetFileType(h.get()) != FILE_TYPE_DISK) return std::nullopt;
  return StampOf(h.get());
}

std::unique_ptr<Win32FileBytes> Win32FileBytes::Open(std::u16string_view path) {
  const std::u16string p(path);
  if (IsFolder(p)) return nullptr;
  HANDLE h = OpenForReading(p);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (::GetFileType(h) != FILE_TYPE_DISK || ::GetFileSizeEx(h, &size) == 0) {
    ::CloseHandle(h);
    return nullptr;
  }
  return std::unique_ptr<Win32FileBytes>(
      new Win32FileBytes(h, static_cast<std::uint64_t>(size.QuadPart)));
}

Win32FileBytes::~Win32FileBytes() { ::CloseHandle(static_cast<HANDLE>(handle_)); }

bool Win32FileBytes::Read(std::uint64_t offset, std::size_t n, std::string& out) {
  if (offset > size_ || n > size_ - offset || n > (1u << 30)) return false;
  out.resize(n);
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (n > 0 && (::ReadFile(static_cast<HANDLE>(handle_), out.data(), static_cast<DWORD>(n), &got,
                           &at) == 0 ||
                got != n)) {
    return false;
  }
  return true;
}

}  // namespace quillan::platform
