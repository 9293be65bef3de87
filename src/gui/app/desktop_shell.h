#pragma once

#include <memory>

#include "platform/shell_integration.h"

namespace quillan::gui {

/// The shell integration of the desktop the program runs on: FreedesktopShell on Linux, the
/// registry on Windows (the build chooses the source file that defines it).
std::unique_ptr<platform::ShellIntegration> MakeDesktopShell();

}  // namespace quillan::gui
