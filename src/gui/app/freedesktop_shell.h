#pragma once

#include "platform/shell_integration.h"

namespace quillan::gui {

/// The shell integration of freedesktop desktops: the file type as a per-user MIME type,
/// desktop entry and icons under $XDG_DATA_HOME, with the desktop's database tools started
/// without waiting for them; web addresses through the desktop's URL handler.
class FreedesktopShell final : public platform::ShellIntegration {
 public:
  void RegisterProjectType(std::u16string_view program_path) override;
  void OpenUrl(std::string_view url) override;
};

}  // namespace quillan::gui
