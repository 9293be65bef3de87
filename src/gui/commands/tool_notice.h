#pragma once

#include <QWidget>
#include <string>

#include "gui/widgets/port_sources.h"
#include "wintools/window_system.h"

namespace quillan::gui {

/// Tells the user, above a window tool, what the window system reports: once, the first time
/// a tool is shown, why the tools cannot see other programs' windows in this session (no X11
/// display, Wayland); and after each pick, a problem met since the last one (windows of some
/// programs seen only as X11 shows them). Silent where there is nothing to tell.
class ToolNotice {
 public:
  ToolNotice(wintools::WindowSystem& windows, MessengerSource messengers)
      : windows_(windows), messengers_(std::move(messengers)) {}

  /// Called when a window tool appears; the note stands above it.
  void ToolShown(QWidget& tool);
  /// Follows the picks of a tool: after the release of its arrow, what the window system has
  /// to tell stands above it.
  void Watch(QWidget& tool);

 private:
  // Shows the text above the tool once it is on the screen.
  void Say(QWidget& tool, const std::u16string& text);

  wintools::WindowSystem& windows_;
  MessengerSource messengers_;
  bool said_ = false;
};

}  // namespace quillan::gui
