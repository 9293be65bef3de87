#include "platform/host.h"
#include "platform/win32/win32_file_store.h"
#include "platform/win32/win32_recovery_store.h"
// clang-format off
#include "platform/win32/windows_api.h"
#include <shellapi.h>
// clang-format on

namespace quillan::platform {

std::optional<std::string> PrepareProcess() { return std::nullopt; }

std::vector<std::u16string> ProgramArguments(int, char**) {
  // argv holds the arguments in the ANSI code page, which may not have every character of a
  // file name; the wide command line has them all.
  std::vector<std::u16string> arguments;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i)
    arguments.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

std::u16string CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::u16string folder(size, u'\0');
  const DWORD n = ::GetCurrentDirectoryW(size, reinterpret_cast<wchar_t*>(folder.data()));
  folder.resize(n < size ? n : 0);
  return folder;
}

bool IsAbsolutePath(std::u16string_view path) {
  auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  // C:\..., or \\server\share\...
  return (path.size() >= 3 && path[1] == u':' && separator(path[2])) ||
         (path.size() >= 2 && separator(path[0]) && separator(path[1]));
}

std::unique_ptr<document::FileStore> MakeFileStore() { return std::make_unique<Win32FileStore>(); }

std::unique_ptr<document::RecoveryStore> MakeRecoveryStore() {
  return std::make_unique<Win32RecoveryStore>(Win32RecoveryStore::DefaultFolder());
}

int WatchEndRequests() { return -1; }

int TakeEndRequest(int) { return 0; }

void PrimeKeyInput(std::uint64_t) {}

std::unique_ptr<wintools::ByteSource> OpenFileBytes(std::u16string_view path) {
  return Win32FileBytes::Open(path);
}

}  // namespace quillan::platform
