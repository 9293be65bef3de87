#include "platform/display_check.h"

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

#include "platform/x11/x11_window_system.h"

namespace quillan::platform {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

constexpr char kNeeds[] = "Quillan needs a graphical session (an X11 or Wayland display)";

bool WaylandAnswers(const std::string& display) {
  // The compositor's socket: an absolute path, or a name in the runtime folder.
  const std::string socket =
      display.starts_with('/') ? display : Variable("XDG_RUNTIME_DIR") + "/" + display;
  struct stat st {};
  return ::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool X11Answers(const std::string& display) {
  xcb_connection_t* connection = ConnectToDisplay(display);
  if (connection == nullptr) return false;
  xcb_disconnect(connection);
  return true;
}

}  // namespace

std::optional<std::string> MissingDisplay() {
  const std::string platform = Variable("QT_QPA_PLATFORM");
  if (!platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland")) {
    return std::nullopt;
  }
  const std::string wayland = Variable("WAYLAND_DISPLAY");
  const std::string x11 = Variable("DISPLAY");
  if (!wayland.empty() && WaylandAnswers(wayland)) return std::nullopt;
  if (!x11.empty() && X11Answers(x11)) return std::nullopt;
  if (wayland.empty() && x11.empty()) {
    return std::string(kNeeds) + "; none was found: DISPLAY and WAYLAND_DISPLAY are not set.";
  }
  std::string why = std::string(kNeeds) + "; ";
  if (!x11.empty()) why += "the X11 display \"" + x11 + "\" does not answer";
  if (!x11.empty() && !wayland.empty()) why += ", and ";
  if (!wayland.empty()) why += "the Wayland display \"" + wayland + "\" does not answer";
  return why + ".";
}

}  // namespace quillan::platform
