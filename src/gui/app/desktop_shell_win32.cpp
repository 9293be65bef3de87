#include "gui/app/desktop_shell.h"
#include "platform/win32/win32_shell_integration.h"

namespace quillan::gui {

std::unique_ptr<platform::ShellIntegration> MakeDesktopShell() {
  return std::make_unique<platform::Win32ShellIntegration>();
}

}  // namespace quillan::gui
