#include "platform/win32/win32_recovery_store.h"

#include <random>
#include <set>

// clang-format off
#include "platform/win32/windows_api.h"
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

namespace quillan::platform {

namespace {

constexpr std::u16string_view kLock = u".lock";
constexpr std::u16string_view kCopy = u".copy";
constexpr std::u16string_view kPart = u".part";
// A copy larger than this is no copy of ours: the editor holds no such text.
constexpr std::uint64_t kMaxCopyBytes = std::uint64_t{1} << 30;

// Ids are made of ASCII letters, digits and '-' only; anything else in the folder is not ours.
std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }
std::optional<std::string> Narrow(std::u16string_view name) {
  std::string ascii;
  for (const char16_t c : name) {
    if (c >= 0x80) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  return ascii;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsFolder(const std::u16string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Makes each missing folder of path. The folders above the last may fail to be made (a drive,
// a share, one the user may not write): only whether the last is there in the end counts.
DWORD MakeFolders(const std::u16string& path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (IsSeparator(path[i]) && !IsSeparator(path[i - 1])) {
      ::CreateDirectoryW(Wide(path.substr(0, i)), nullptr);
    }
  }
  if (::CreateDirectoryW(Wide(path), nullptr) != 0) return 0;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS) return IsFolder(path) ? 0 : ERROR_DIRECTORY;
  return error;
}

// Opens a lock file for this program alone: nobody else can open it until the handle is
// closed, which the system does when the process ends. Links are opened, never followed.
HANDLE OpenLock(const std::u16string& path, DWORD disposition) {
  return ::CreateFileW(Wide(path), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Whether the open file is an ordinary file: no folder, no link or other reparse point.
bool IsPlainFile(HANDLE h, std::uint64_t* size = nullptr) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(h, &info) == 0 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return false;
  }
  if (size != nullptr) *size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return true;
}

// Deletes the file open as h and closes it. The lock files are opened without sharing, so they
// can only be deleted through the handle that holds them.
void DeleteAndClose(HANDLE h) {
  DeleteWhenClosed(h);
  ::CloseHandle(h);
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

// The ordinary file at path, whole; nullopt when it is not there or not one.
std::optional<std::string> ReadCopy(const std::u16string& path) {
  Handle h(::CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  std::uint64_t size = 0;
  if (!h.valid() || ::GetFileType(h.get()) != FILE_TYPE_DISK || !IsPlainFile(h.get(), &size) ||
      size > kMaxCopyBytes) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    if (::ReadFile(h.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                   nullptr) == 0 ||
        n == 0) {
      break;
    }
    done += n;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

Win32RecoveryStore::Win32RecoveryStore(std::u16string folder) : folder_(std::move(folder)) {}

Win32RecoveryStore::~Win32RecoveryStore() {
  std::lock_guard lock(mutex_);
  for (const auto& [id, h] : claimed_) ::CloseHandle(h);
  if (lock_ != nullptr) {
    if (have_copy_) {
      ::CloseHandle(lock_);
    } else {
      DeleteAndClose(lock_);
    }
  }
}

std::u16string Win32RecoveryStore::DefaultFolder() {
  std::u16string base;
  wchar_t* known = nullptr;
  if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known) == S_OK) {
    base = reinterpret_cast<const char16_t*>(known);
  }
  ::CoTaskMemFree(known);
  if (base.empty()) {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH) base = reinterpret_cast<const char16_t*>(buffer);
  }
  if (base.empty()) return {};
  if (!IsSeparator(base.back())) base += u'\\';
  return base + u"Quillan\\Recovery";
}

std::u16string Win32RecoveryStore::PathOf(std::string_view id, std::u16string_view suffix) const {
  return folder_ + u'\\' + Widen(id) + std::u16string(suffix);
}

std::string Win32RecoveryStore::id() const {
  std::lock_guard lock(mutex_);
  return id_;
}

unsigned long Win32RecoveryStore::OpenSession() {
  if (lock_ != nullptr) return 0;
  if (folder_.empty()) return ERROR_PATH_NOT_FOUND;
  if (const DWORD error = MakeFolders(folder_)) return error;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = "session-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % 36];
    const HANDLE h = OpenLock(PathOf(name, kLock), CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return error;
    }
    id_ = std::move(name);
    lock_ = h;
    return 0;
  }
  return ERROR_FILE_EXISTS;
}

std::optional<std::u16string> Win32RecoveryStore::Write(std::string_view header,
                                                        std::string_view text) {
  std::lock_guard lock(mutex_);
  if (const DWORD error = OpenSession()) return SystemError(error);
  const std::u16string part = PathOf(id_, kPart);
  DWORD error = 0;
  {
    // Made anew, so that nothing put under its name (a link) is written through.
    ::DeleteFileW(Wide(part));
    Handle h(::CreateFileW(Wide(part), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
    if (!h.valid()) return SystemError(::GetLastError());
    if (!WriteAll(h.get(), header) || !WriteAll(h.get(), text) ||
        ::FlushFileBuffers(h.get()) == 0) {
      error = ::GetLastError();
    }
    if (!h.Close() && error == 0) error = ::GetLastError();
  }
  if (error == 0 && ::MoveFileExW(Wide(part), Wide(PathOf(id_, kCopy)),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    error = ::GetLastError();
  }
  if (error != 0) {
    ::DeleteFileW(Wide(part));
    return SystemError(error);
  }
  have_copy_ = true;
  return std::nullopt;
}

void Win32RecoveryStore::Remove() {
  std::lock_guard lock(mutex_);
  if (lock_ == nullptr) return;
  ::DeleteFileW(Wide(PathOf(id_, kCopy)));
  ::DeleteFileW(Wide(PathOf(id_, kPart)));
  have_copy_ = false;
}

std::vector<document::LeftCopy> Win32RecoveryStore::ClaimLeft(std::string_view only) {
  std::lock_guard lock(mutex_);
  std::vector<document::LeftCopy> found;
  // Nothing was ever kept when there is no folder: it is not made just to look.
  if (folder_.empty() || !IsFolder(folder_)) return found;
  // Every session the folder names, by its lock, its copy or a half-written copy.
  std::set<std::string, std::less<>> ids;
  WIN32_FIND_DATAW entry;
  const HANDLE listing = ::FindFirstFileExW(Wide(folder_ + u"\\*"), FindExInfoBasic, &entry,
                                            FindExSearchNameMatch, nullptr, 0);
  if (listing == INVALID_HANDLE_VALUE) return found;
  do {
    const std::u16string_view name = reinterpret_cast<const char16_t*>(entry.cFileName);
    for (const std::u16string_view suffix : {kLock, kCopy, kPart}) {
      if (name.size() > suffix.size() && name.ends_with(suffix)) {
        if (auto id = Narrow(name.substr(0, name.size() - suffix.size()))) ids.insert(*id);
      }
    }
  } while (::FindNextFileW(listing, &entry) != 0);
  ::FindClose(listing);

  for (const std::string& id : ids) {
    if (id == id_ || claimed_.count(id) != 0 || (!only.empty() && id != only)) continue;
    // Opening fails with a sharing violation while a Quillan that runs holds the lock.
    const HANDLE h = OpenLock(PathOf(id, kLock), OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) continue;
    if (!IsPlainFile(h)) {
      ::CloseHandle(h);  // not ours
      continue;
    }
    // The half-written copy of a write that was cut off is of no use.
    ::DeleteFileW(Wide(PathOf(id, kPart)));
    std::optional<std::string> bytes = ReadCopy(PathOf(id, kCopy));
    if (!bytes) {
      DeleteAndClose(h);
      continue;
    }
    claimed_.emplace(id, h);
    found.push_back({id, std::move(*bytes)});
  }
  return found;
}

void Win32RecoveryStore::Adopt(std::string_view id) {
  std::lock_guard lock(mutex_);
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  if (OpenSession() == 0 &&
      ::MoveFileExW(Wide(PathOf(id, kCopy)), Wide(PathOf(id_, kCopy)),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    have_copy_ = true;
    DeleteAndClose(it->second);
  } else {
    // Should the copy not move, it stays where it was, to be offered again.
    ::CloseHandle(it->second);
  }
  claimed_.erase(it);
}

void Win32RecoveryStore::Discard(std::string_view id) {
  std::lock_guard lock(mutex_);
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  ::DeleteFileW(Wide(PathOf(id, kCopy)));
  DeleteAndClose(it->second);
  claimed_.erase(it);
}

void Win32RecoveryStore::Release(std::string_view id) {
  std::lock_guard lock(mutex_);
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  ::CloseHandle(it->second);
  claimed_.erase(it);
}

}  // namespace quillan::platform
