#pragma once

#include "wintools/window_system.h"

namespace quillan::wintools {

/// The outline drawn around the window under the arrow while a pick lasts, so that the user
/// sees which window a release would pick. It takes no input and is never itself under the
/// pointer: the window system's WindowFromPoint sees through it.
class PickHighlight {
 public:
  virtual ~PickHighlight() = default;
  /// Shows the outline along the edges of `r` (screen pixels, right and bottom exclusive), or
  /// moves it there, above every other window.
  virtual void Show(ScreenRect r) = 0;
  /// Takes the outline off the screen.
  virtual void Hide() = 0;
};

/// For sessions where no outline can be drawn: shows nothing.
class NoPickHighlight final : public PickHighlight {
 public:
  void Show(ScreenRect) override {}
  void Hide() override {}
};

/// Follows the arrow during a pick: reads the window under the pointer and keeps the outline
/// around it. The outline is moved only when that window changes, not on every repeat of an
/// unchanged one; over no window, or over one without a rectangle, it is hidden.
class PickTracker {
 public:
  PickTracker(WindowSystem& windows, PickHighlight& highlight)
      : windows_(windows), highlight_(highlight) {}
  ~PickTracker() { End(); }
  PickTracker(const PickTracker&) = delete;
  PickTracker& operator=(const PickTracker&) = delete;

  /// The window under the pointer now (GetCursorPos, then WindowFromPoint), 0 if none.
  Hwnd Follow();
  /// The pick is over (released or cancelled): the outline goes, and the next pick starts
  /// afresh.
  void End();

 private:
  WindowSystem& windows_;
  PickHighlight& highlight_;
  Hwnd followed_ = 0;
  bool shown_ = false;
};

}  // namespace quillan::wintools
