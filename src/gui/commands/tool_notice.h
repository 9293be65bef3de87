#pragma once

#include <QWidget>
#include <string>

#include "gui/widgets/port_sources.h"
#include "wintools/window_system.h"

namespace quillan::gui {

/// Says once, the first time a window tool is shown, why the window tools cannot see
/// other programs' windows in this session (no X11 display, Wayland); silent where they can.
class ToolNotice {
 public:
  ToolNotice(wintools::WindowSystem& windows, MessengerSource messengers)
      : windows_(windows), messengers_(std::move(messengers)) {}

  /// Called when a window tool appears; the note stands above it.
  void ToolShown(QWidget& tool);

 private:
  wintools::WindowSystem& windows_;
  MessengerSource messengers_;
  bool said_ = false;
};

}  // namespace quillan::gui
