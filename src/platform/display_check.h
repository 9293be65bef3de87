#pragma once

#include <optional>
#include <string>

namespace quillan::platform {

/// Why the program cannot show its windows in this session (no X11 or Wayland display, or
/// one that does not answer), in words for the terminal; nullopt when it can. A platform
/// chosen with QT_QPA_PLATFORM that needs no display (offscreen, for tests) is not checked.
std::optional<std::string> MissingDisplay();

}  // namespace quillan::platform
