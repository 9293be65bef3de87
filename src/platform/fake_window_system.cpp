#include "platform/fake_window_system.h"

#include <algorithm>

#include "text/vb_string.h"

namespace quillan::platform {

using wintools::Hwnd;

Hwnd FakeWindowSystem::Add(std::u16string class_name, std::u16string text, Hwnd parent, Rect rect) {
  const Hwnd h = next_;
  next_ += 0x10;
  Window w;
  w.class_name = std::move(class_name);
  w.text = std::move(text);
  w.parent = parent;
  w.rect = rect;
  windows_[h] = std::move(w);
  order_.push_back(h);
  return h;
}

void FakeWindowSystem::Remove(Hwnd hwnd) {
  std::vector<Hwnd> children;
  for (const auto& [h, w] : windows_) {
    if (w.parent == hwnd) children.push_back(h);
  }
  for (Hwnd c : children) Remove(c);
  windows_.erase(hwnd);
  order_.erase(std::remove(order_.begin(), order_.end(), hwnd), order_.end());
}

FakeWindowSystem::Window* FakeWindowSystem::Find(Hwnd hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

std::u16string FakeWindowSystem::Truncate(const std::u16string& s, int max_count) {
  if (max_count <= 0) return {};
  return s.substr(0, static_cast<std::size_t>(max_count - 1));
}

bool FakeWindowSystem::SetWindowPos(Hwnd hwnd, Hwnd insert_after, int, int, int, int,
                                    std::uint32_t) {
  Window* w = Find(hwnd);
  if (!w) return false;
  if (insert_after == wintools::kHwndTopmost) w->topmost = true;
  if (insert_after == wintools::kHwndNoTopmost) w->topmost = false;
  return true;
}

wintools::ScreenRect FakeWindowSystem::GetWindowRect(Hwnd hwnd) {
  const Window* w = Find(hwnd);
  if (w == nullptr) return {};
  return {w->rect.left, w->rect.top, w->rect.right, w->rect.bottom};
}

Hwnd FakeWindowSystem::WindowFromPoint(wintools::ScreenPoint p) {
  // The deepest visible window containing the point; among siblings the first created wins.
  Hwnd found = 0;
  Hwnd parent = 0;
  for (bool descended = true; descended;) {
    descended = false;
    for (Hwnd h : order_) {
      const Window& w = windows_.at(h);
      // As on Windows, a disabled child is passed over for its parent.
      const bool disabled_child = w.parent != 0 && !w.enabled;
      if (w.parent == parent && w.visible && !disabled_child && w.rect.Contains(p)) {
        found = h;
        parent = h;
        descended = true;
        break;
      }
    }
  }
  return found;
}

std::u16string FakeWindowSystem::GetWindowText(Hwnd hwnd, int max_count) {
  Window* w = Find(hwnd);
  return w ? Truncate(w->text, max_count) : std::u16string();
}

int FakeWindowSystem::GetWindowTextLength(Hwnd hwnd) {
  Window* w = Find(hwnd);
  return w ? static_cast<int>(w->text.size()) : 0;
}

std::u16string FakeWindowSystem::GetClassName(Hwnd hwnd, int max_count) {
  Window* w = Find(hwnd);
  return w ? Truncate(w->class_name, max_count) : std::u16string();
}

Hwnd FakeWindowSystem::GetParent(Hwnd hwnd) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  return w->parent != 0 ? w->parent : w->owner;
}

Hwnd FakeWindowSystem::FindWindowEx(Hwnd parent, Hwnd child_after, std::u16string_view class_name) {
  bool started = child_after == 0;
  for (Hwnd h : order_) {
    const Window& w = windows_.at(h);
    if (w.parent != parent) continue;
    if (!started) {
      started = h == child_after;
      continue;
    }
    if (text::FoldCase(w.class_name) == text::FoldCase(class_name)) return h;
  }
  return 0;
}

std::vector<Hwnd> FakeWindowSystem::FindAllWindowsEx(Hwnd parent, std::u16string_view class_name) {
  // One pass over the z-order, where calling FindWindowEx for each would start over each time.
  std::vector<Hwnd> found;
  const std::u16string wanted = text::FoldCase(class_name);
  for (Hwnd h : order_) {
    const Window& w = windows_.at(h);
    if (w.parent == parent && text::FoldCase(w.class_name) == wanted) found.push_back(h);
    if (found.size() == kMaxFound) break;
  }
  return found;
}

bool FakeWindowSystem::ShowWindow(Hwnd hwnd, int cmd) {
  Window* w = Find(hwnd);
  if (!w) return false;
  w->show_state = cmd;
  w->visible = cmd != wintools::kSwHide;
  return true;
}

bool FakeWindowSystem::EnableWindow(Hwnd hwnd, bool enable) {
  Window* w = Find(hwnd);
  if (!w) return false;
  w->enabled = enable;
  return true;
}

bool FakeWindowSystem::PostClose(Hwnd hwnd) {
  Window* w = Find(hwnd);
  if (!w) return false;
  w->close_requested = true;
  return true;
}

bool FakeWindowSystem::SendSetText(Hwnd hwnd, std::u16string_view text) {
  Window* w = Find(hwnd);
  if (!w) return false;
  w->undo.push_back(w->text);
  w->text = text;
  return true;
}

bool FakeWindowSystem::SendUndo(Hwnd hwnd) {
  Window* w = Find(hwnd);
  if (!w || w->undo.empty()) return false;
  std::swap(w->text, w->undo.back());
  return true;
}

std::uint32_t FakeWindowSystem::GetScreenPixel(wintools::ScreenPoint p) {
  if (!screen_.Contains(p)) return wintools::kClrInvalid;
  auto it = pixels_.find({p.x, p.y});
  return it == pixels_.end() ? 0 : it->second;
}

std::u16string FakeWindowSystem::CannotDo(wintools::Capability what) const {
  auto it = cannot_.find(what);
  return it == cannot_.end() ? std::u16string() : it->second;
}

}  // namespace quillan::platform
