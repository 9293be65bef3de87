#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system_choice.h"
#include "wintools/window_system.h"

struct xcb_connection_t;

namespace quillan::platform {

/// The window-system operations on an X11 display, over an XCB connection of its own.
///
/// Handles are client windows (the windows that carry WM_STATE, or without a window
/// manager the top-level windows themselves), never a window manager's frame, and below a
/// client its subwindows. Every request on a window that no longer exists gives 0, an empty
/// text or false; X errors are read with their requests and never end the program.
class X11WindowSystem final : public wintools::WindowSystem {
 public:
  /// Connects to `display` ("" for $DISPLAY); nullptr when it cannot, with the reason. Under
  /// XWayland (`xwayland`) the windows of Wayland programs and the screen cannot be seen.
  static std::unique_ptr<X11WindowSystem> Connect(const std::string& display,
                                                  std::u16string& reason, bool xwayland = false);
  ~X11WindowSystem() override;
  X11WindowSystem(const X11WindowSystem&) = delete;
  X11WindowSystem& operator=(const X11WindowSystem&) = delete;

  std::u16string CannotDo(wintools::Capability what) const override;
  bool SetWindowPos(wintools::Hwnd hwnd, wintools::Hwnd insert_after, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool IsWindow(wintools::Hwnd hwnd) override;
  wintools::ScreenRect GetWindowRect(wintools::Hwnd hwnd) override;
  wintools::ScreenPoint GetCursorPos() override;
  wintools::Hwnd WindowFromPoint(wintools::ScreenPoint p) override;
  std::u16string GetWindowText(wintools::Hwnd hwnd, int max_count) override;
  int GetWindowTextLength(wintools::Hwnd hwnd) override;
  std::u16string GetClassName(wintools::Hwnd hwnd, int max_count) override;
  wintools::Hwnd GetParent(wintools::Hwnd hwnd) override;
  wintools::Hwnd FindWindowEx(wintools::Hwnd parent, wintools::Hwnd child_after,
                              std::u16string_view class_name) override;
  std::vector<wintools::Hwnd> FindAllWindowsEx(wintools::Hwnd parent,
                                               std::u16string_view class_name) override;
  bool ShowWindow(wintools::Hwnd hwnd, int cmd) override;
  bool EnableWindow(wintools::Hwnd hwnd, bool enable) override;
  bool PostClose(wintools::Hwnd hwnd) override;
  int SendGetTextLength(wintools::Hwnd hwnd) override;
  std::u16string SendGetText(wintools::Hwnd hwnd, int max_count) override;
  bool SendSetText(wintools::Hwnd hwnd, std::u16string_view text) override;
  bool SendUndo(wintools::Hwnd hwnd) override;
  std::uint32_t GetScreenPixel(wintools::ScreenPoint p) override;
  std::vector<std::uint32_t> GetScreenPixels(wintools::ScreenRect r) override;

  /// Whether a window manager runs on the display.
  bool HasWindowManager() const;

  /// The process of the program whose top-level window holds `hwnd` (the client itself, or
  /// the client a subwindow is in), as that client's _NET_WM_PID says; nullopt when the window
  /// is gone or its program does not say.
  std::optional<int> ClientPid(wintools::Hwnd hwnd) const;
  /// The processes of the programs that have top-level clients now, hidden ones included, each
  /// once, as their _NET_WM_PID says; programs that do not say are left out.
  std::vector<int> ClientPids() const;

 private:
  class Impl;
  X11WindowSystem(std::unique_ptr<Impl> impl, bool xwayland);
  std::unique_ptr<Impl> impl_;
  bool xwayland_;
};

/// A connection to the X11 display ("" for $DISPLAY), or nullptr when it does not answer. A
/// server that is just letting another client go may drop a new connection at once; a few
/// quick tries tell that from a display that is not there.
xcb_connection_t* ConnectToDisplay(const std::string& display, int* screen_number = nullptr);

}  // namespace quillan::platform
