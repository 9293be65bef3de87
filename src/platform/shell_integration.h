#pragma once

#include <string>
#include <string_view>

namespace quillan::platform {

/// What the program asks of the desktop shell.
class ShellIntegration {
 public:
  virtual ~ShellIntegration() = default;
  /// Registers the project file type for this user, opened by the program at program_path
  /// (in the program's form of paths, with the system's separators). Failures are ignored:
  /// registration never stops the program.
  virtual void RegisterProjectType(std::u16string_view program_path) = 0;
  /// Opens a web address in the desktop's browser, never through a shell.
  virtual void OpenUrl(std::string_view url) = 0;
};

}  // namespace quillan::platform
