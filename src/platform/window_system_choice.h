#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wintools/pick_highlight.h"
#include "wintools/window_system.h"

namespace quillan::platform {

/// What the choice of a backend looks at in the session's environment.
struct SessionEnvironment {
  std::string display;          ///< $DISPLAY: the X11 display, "" for none
  std::string wayland_display;  ///< $WAYLAND_DISPLAY, "" for none

  /// The environment of this process.
  static SessionEnvironment FromProcess();
};

/// A backend that may serve the session: it makes itself when it can, and otherwise says
/// why not in `reason`.
struct BackendCandidate {
  const char* name;
  std::function<std::unique_ptr<wintools::WindowSystem>(const SessionEnvironment& env,
                                                        std::u16string& reason)>
      try_make;
};

/// The backends this build has, in the order they are tried (defined by the backend files).
std::vector<BackendCandidate> BuiltInBackends();

/// The chosen backend, and when it is the `none` backend, why (the tools show this).
struct WindowSystemChoice {
  std::unique_ptr<wintools::WindowSystem> backend;
  std::u16string reason;  ///< "" when a real backend was chosen
};

/// The first candidate that can serve the session; otherwise the `none` backend, with the
/// reason that fits the session (no display, Wayland only, or the candidate's own words).
WindowSystemChoice ChooseWindowSystem(const SessionEnvironment& env,
                                      const std::vector<BackendCandidate>& candidates);

/// The outline a picking arrow shows around the window under it, for this build's window system
/// (defined by the backend files): with nothing to draw on, one that shows nothing.
std::unique_ptr<wintools::PickHighlight> MakePickHighlight(const SessionEnvironment& env);

}  // namespace quillan::platform
