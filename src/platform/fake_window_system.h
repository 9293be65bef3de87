#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wintools/window_system.h"

namespace quillan::platform {

/// A window's rectangle on the screen, right and bottom exclusive.
struct FakeRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(wintools::ScreenPoint p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
};

/// An in-memory window tree for tests: windows with a class, a text, a parent, a rectangle,
/// show and enable states, plus a pointer position and screen pixels.
class FakeWindowSystem final : public wintools::WindowSystem {
 public:
  using Rect = FakeRect;
  /// Handles are given out from `first_handle` up, so that two trees can hold different ones.
  explicit FakeWindowSystem(wintools::Hwnd first_handle = 0x10010) : next_(first_handle) {}
  struct Window {
    std::u16string class_name;
    std::u16string text;
    wintools::Hwnd parent = 0;
    wintools::Hwnd owner = 0;  ///< a top-level window's owner, which GetParent reports
    Rect rect;
    bool visible = true;
    bool enabled = true;
    int show_state = wintools::kSwShow;  ///< last ShowWindow command
    bool topmost = false;
    bool close_requested = false;
    std::vector<std::u16string> undo;  ///< earlier texts, for WM_UNDO
  };

  /// Adds a window (children after their parent); returns its handle.
  wintools::Hwnd Add(std::u16string class_name, std::u16string text, wintools::Hwnd parent = 0,
                     Rect rect = {});
  /// Removes a window and its children, as when a program closes it.
  void Remove(wintools::Hwnd hwnd);
  /// The window, or nullptr when the handle names none.
  Window* Find(wintools::Hwnd hwnd);
  void SetCursor(wintools::ScreenPoint p) { cursor_ = p; }
  void SetPixel(wintools::ScreenPoint p, std::uint32_t color) { pixels_[{p.x, p.y}] = color; }
  /// The screen's size in pixels; pixels outside it cannot be read. 1024 x 768 at first.
  void SetScreenSize(int width, int height) { screen_ = {0, 0, width, height}; }
  /// Makes the backend unable to do `what`, with this reason.
  void SetCannotDo(wintools::Capability what, std::u16string reason) {
    cannot_[what] = std::move(reason);
  }

  std::u16string CannotDo(wintools::Capability what) const override;
  bool SetWindowPos(wintools::Hwnd hwnd, wintools::Hwnd insert_after, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool IsWindow(wintools::Hwnd hwnd) override { return Find(hwnd) != nullptr; }
  wintools::ScreenRect GetWindowRect(wintools::Hwnd hwnd) override;
  wintools::ScreenPoint GetCursorPos() override { return cursor_; }
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
  int SendGetTextLength(wintools::Hwnd hwnd) override { return GetWindowTextLength(hwnd); }
  std::u16string SendGetText(wintools::Hwnd hwnd, int max_count) override {
    return GetWindowText(hwnd, max_count);
  }
  bool SendSetText(wintools::Hwnd hwnd, std::u16string_view text) override;
  bool SendUndo(wintools::Hwnd hwnd) override;
  std::uint32_t GetScreenPixel(wintools::ScreenPoint p) override;

 private:
  static std::u16string Truncate(const std::u16string& s, int max_count);

  std::map<wintools::Hwnd, Window> windows_;
  std::vector<wintools::Hwnd> order_;  // creation order: the z-order of siblings, top first
  wintools::Hwnd next_;
  wintools::ScreenPoint cursor_;
  std::map<std::pair<int, int>, std::uint32_t> pixels_;
  Rect screen_{0, 0, 1024, 768};
  std::map<wintools::Capability, std::u16string> cannot_;
};

}  // namespace quillan::platform
