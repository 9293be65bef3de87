#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell_integration.h"

namespace quillan::platform {

/// One registry value of the project file type, under the user's `Software\Classes`.
struct RegistryValue {
  std::u16string key;   ///< below Software\Classes, without a leading backslash
  std::u16string name;  ///< "" for the key's default value
  bool is_dword = false;
  std::u16string text;       ///< REG_SZ data
  std::uint32_t number = 0;  ///< REG_DWORD data
};

/// The eight values that make `.qlp` files open with the program at program_path (a Windows
/// path such as C:\Tools\Quillan.exe), in the order they are written. The open command quotes
/// the program and the file, so that folders and projects with spaces in their names work.
std::vector<RegistryValue> ProjectTypeRegistryValues(std::u16string_view program_path);

/// Where the values go: per user, so that no administrator rights are needed.
inline constexpr std::u16string_view kUserClassesKey = u"Software\\Classes";

/// Writes the values under HKEY_CURRENT_USER\Software\Classes, creating keys that are missing
/// and deleting nothing, then tells the shell that file associations changed. Returns what
/// failed, in words; empty when every value was written.
std::vector<std::u16string> WriteProjectTypeRegistration(const std::vector<RegistryValue>& values);

/// The shell on Windows: the registry for the file type, the default browser for addresses.
class Win32ShellIntegration final : public ShellIntegration {
 public:
  /// Forward slashes in program_path are taken as backslashes.
  void RegisterProjectType(std::u16string_view program_path) override;
  void OpenUrl(std::string_view url) override;
};

}  // namespace quillan::platform
