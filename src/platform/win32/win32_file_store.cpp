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
  std::string bytes(static_cast<std::size_t>(stamp->size), '\0');
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
  // A temporary file beside the target, on the same volume, so that it can take its place.
  static std::atomic<unsigned> counter{0};
  const std::u16string temp =
      FolderOf(target) + u".quillan-save-" +
      text::FromUtf8(std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter)) +
      u".tmp";
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
