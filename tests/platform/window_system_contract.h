#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string_view>

#include "wintools/window_system.h"

namespace quillan::testing_support {

/// A screen rectangle, right and bottom exclusive.
struct TestRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

/// What the contract suite needs from a backend besides the port itself: real windows to
/// look at, made the way that backend's windows are made (an X11 client for X11, the tree
/// for the fake).
class WindowSystemHarness {
 public:
  virtual ~WindowSystemHarness() = default;
  virtual wintools::WindowSystem& System() = 0;
  /// A shown window of class_name titled text, at rect in screen pixels; parent 0 makes a
  /// top-level window. Siblings made by one test never overlap.
  virtual wintools::Hwnd Create(std::u16string_view class_name, std::u16string_view text,
                                wintools::Hwnd parent, TestRect rect) = 0;
  /// A shown top-level window owned by `owner`: a pop-up such as a dialog box, or an ordinary
  /// overlapped window (on X11 both carry WM_TRANSIENT_FOR).
  virtual wintools::Hwnd CreateOwned(std::u16string_view class_name, std::u16string_view text,
                                     wintools::Hwnd owner, TestRect rect, bool popup) = 0;
  /// Destroys the window as its program would, children included.
  virtual void Destroy(wintools::Hwnd hwnd) = 0;
  /// The screen point at (x, y) inside the window (a window manager may have moved it).
  virtual wintools::ScreenPoint ToScreen(wintools::Hwnd hwnd, int x, int y) = 0;
  /// Moves the pointer, as the user would.
  virtual void MovePointer(wintools::ScreenPoint p) = 0;
  /// Waits until the backend sees what was just made or changed.
  virtual void Sync() {}
};

/// Where backends answer differently, each states what it answers; the suite checks that
/// instead of skipping.
struct BackendExpectations {
  /// GetParent of an owned overlapped (not pop-up) window gives the owner. Windows gives 0:
  /// only pop-ups report their owner.
  bool overlapped_owner_is_parent = true;
  /// EnableWindow works on another program's window (X11 has no such state).
  bool can_enable = true;
  /// WindowFromPoint passes over a disabled child to its parent, as Windows does.
  bool skips_disabled_children = true;
  /// Minimize, maximize and restore can be asked for (on X11 only of a window manager).
  bool can_minimize = true;
  /// GetWindowTextLength of an edit control gives the length of its text. Asked from another
  /// process, Wine gives 0 without asking the control (Windows itself warns that it cannot
  /// tell another program's edit text): the Wine helper's answer.
  bool edit_text_length_from_other_process = true;
};

/// One backend under test: its name, its answers where backends differ, and how to make a
/// fresh harness for each case.
struct BackendUnderTest {
  const char* name;
  BackendExpectations expect;
  std::function<std::unique_ptr<WindowSystemHarness>()> make;
};

/// Test names and failure messages show the backend's name.
inline void PrintTo(const BackendUnderTest& backend, std::ostream* os) { *os << backend.name; }

/// The cases every backend must pass.
class WindowSystemContract : public ::testing::TestWithParam<BackendUnderTest> {
 protected:
  void SetUp() override { harness_ = GetParam().make(); }
  WindowSystemHarness& harness() { return *harness_; }
  wintools::WindowSystem& ws() { return harness_->System(); }
  const BackendExpectations& expect() const { return GetParam().expect; }

 private:
  std::unique_ptr<WindowSystemHarness> harness_;
};

/// For INSTANTIATE_TEST_SUITE_P: the backend's name as the case's name.
inline std::string BackendName(const ::testing::TestParamInfo<BackendUnderTest>& info) {
  return info.param.name;
}

}  // namespace quillan::testing_support
