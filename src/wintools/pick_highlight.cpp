#include "wintools/pick_highlight.h"

#include "wintools/api_spy.h"

namespace quillan::wintools {

Hwnd PickTracker::Follow() {
  const Hwnd h = WindowUnderPointer(windows_);
  if (h == followed_) return h;
  followed_ = h;
  const ScreenRect r = h != 0 ? windows_.GetWindowRect(h) : ScreenRect{};
  if (!r.empty()) {
    highlight_.Show(r);
    shown_ = true;
  } else if (shown_) {
    highlight_.Hide();
    shown_ = false;
  }
  return h;
}

void PickTracker::End() {
  followed_ = 0;
  if (!shown_) return;
  highlight_.Hide();
  shown_ = false;
}

}  // namespace quillan::wintools
