#pragma once

#include <cstdint>
#include <string>

#include "wintools/pick_highlight.h"

struct xcb_connection_t;

namespace quillan::platform {

/// The picking outline on an X11 display: one override-redirect window, shaped to a ring along
/// the edges of the rectangle shown, and tiled in red and white stripes so that it shows on any
/// colour. Its input shape is empty: the pointer, and with it every WindowFromPoint, goes
/// through to the window beneath. It has a connection of its own, made at the first Show; when
/// the display cannot be reached or lacks the Shape extension, nothing is drawn.
class X11PickHighlight final : public wintools::PickHighlight {
 public:
  /// Pixels of the ring, inside the rectangle's edges (a maximized window's edges are on
  /// the screen).
  static constexpr int kThickness = 3;

  /// On `display` ("" for $DISPLAY).
  explicit X11PickHighlight(std::string display);
  ~X11PickHighlight() override;
  X11PickHighlight(const X11PickHighlight&) = delete;
  X11PickHighlight& operator=(const X11PickHighlight&) = delete;

  void Show(wintools::ScreenRect r) override;
  void Hide() override;

  /// The outline's window; 0 before the first Show, or when it could not be made.
  std::uint32_t window() const { return window_; }

 private:
  // Connects and makes the window, once; false when it cannot.
  bool Ready();

  std::string display_;
  bool tried_ = false;
  xcb_connection_t* c_ = nullptr;
  std::uint32_t window_ = 0;
  bool mapped_ = false;
};

}  // namespace quillan::platform
