#pragma once

#include <string>

#include "wintools/window_system.h"

namespace quillan::platform {

/// The backend for sessions without a window system the tools can read (a Wayland session
/// without XWayland, a headless run): every query gives 0 or empty text.
class NoneWindowSystem final : public wintools::WindowSystem {
 public:
  explicit NoneWindowSystem(std::u16string reason) : reason_(std::move(reason)) {}

  std::u16string CannotDo(wintools::Capability) const override { return reason_; }
  bool SetWindowPos(wintools::Hwnd, wintools::Hwnd, int, int, int, int, std::uint32_t) override {
    return false;
  }
  bool IsWindow(wintools::Hwnd) override { return false; }
  wintools::ScreenRect GetWindowRect(wintools::Hwnd) override { return {}; }
  wintools::ScreenPoint GetCursorPos() override { return {}; }
  wintools::Hwnd WindowFromPoint(wintools::ScreenPoint) override { return 0; }
  std::u16string GetWindowText(wintools::Hwnd, int) override { return {}; }
  int GetWindowTextLength(wintools::Hwnd) override { return 0; }
  std::u16string GetClassName(wintools::Hwnd, int) override { return {}; }
  wintools::Hwnd GetParent(wintools::Hwnd) override { return 0; }
  wintools::Hwnd FindWindowEx(wintools::Hwnd, wintools::Hwnd, std::u16string_view) override {
    return 0;
  }
  bool ShowWindow(wintools::Hwnd, int) override { return false; }
  bool EnableWindow(wintools::Hwnd, bool) override { return false; }
  bool PostClose(wintools::Hwnd) override { return false; }
  int SendGetTextLength(wintools::Hwnd) override { return 0; }
  std::u16string SendGetText(wintools::Hwnd, int) override { return {}; }
  bool SendSetText(wintools::Hwnd, std::u16string_view) override { return false; }
  bool SendUndo(wintools::Hwnd) override { return false; }
  std::uint32_t GetScreenPixel(wintools::ScreenPoint) override { return wintools::kClrInvalid; }

 private:
  std::u16string reason_;
};

}  // namespace quillan::platform
