#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/window_system_choice.h"
#include "wintools/window_system.h"

namespace quillan::platform {

/// The window-system operations on Windows: each one is the user32 or gdi32 function of the
/// same name, in its wide-character form, so that no code page loses a character.
///
/// Handles cross the port as the 32-bit signed values Windows keeps window handles to, even
/// in 64-bit processes. Messages to other programs' windows are sent with a time limit, so a
/// program that hangs cannot hang the tools with it.
class Win32WindowSystem final : public wintools::WindowSystem {
 public:
  /// How long a message sent to another program's window may wait for its answer.
  static constexpr unsigned kSendTimeoutMs = 2000;

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
};

/// The Win32 backend as a candidate for ChooseWindowSystem: a Windows session always has one.
std::unique_ptr<wintools::WindowSystem> TryWin32(const SessionEnvironment& env,
                                                 std::u16string& reason);

}  // namespace quillan::platform
