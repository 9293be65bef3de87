#include "platform/win32/win32_window_system.h"

#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "text/vb_string.h"

namespace quillan::platform {

using wintools::Hwnd;

namespace {

// A live window's handle, or nullptr: requests on vanished handles do nothing.
HWND Live(Hwnd h) {
  HWND hwnd = ToHandle(h);
  return h != 0 && ::IsWindow(hwnd) ? hwnd : nullptr;
}

// Calls read(buffer, size) with a buffer of max_count units and keeps what it wrote: at most
// max_count - 1 characters, as the A and W functions give with a buffer of that size.
template <typename Read>
std::u16string ReadInto(int max_count, Read read) {
  if (max_count <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(max_count), L'\0');
  const long long n = read(buffer.data(), max_count);
  if (n <= 0) return {};
  const auto count = static_cast<std::size_t>(n < max_count ? n : max_count - 1);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), count);
}

// SendMessageTimeoutW with the backend's limit; false when the window does not answer.
bool Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR& result) {
  return ::SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               Win32WindowSystem::kSendTimeoutMs, &result) != 0;
}

}  // namespace

std::u16string Win32WindowSystem::CannotDo(wintools::Capability) const { return {}; }

bool Win32WindowSystem::SetWindowPos(Hwnd hwnd, Hwnd insert_after, int x, int y, int cx, int cy,
                                     std::uint32_t flags) {
  HWND h = Live(hwnd);
  return h != nullptr && ::SetWindowPos(h, ToHandle(insert_after), x, y, cx, cy, flags) != 0;
}

bool Win32WindowSystem::IsWindow(Hwnd hwnd) { return Live(hwnd) != nullptr; }

wintools::ScreenRect Win32WindowSystem::GetWindowRect(Hwnd hwnd) {
  RECT r{};
  HWND h = Live(hwnd);
  if (h == nullptr || ::GetWindowRect(h, &r) == 0) return {};
  return {static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
          static_cast<std::int32_t>(r.right), static_cast<std::int32_t>(r.bottom)};
}

wintools::ScreenPoint Win32WindowSystem::GetCursorPos() {
  POINT p{};
  if (::GetCursorPos(&p) == 0) return {};
  return {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)};
}

Hwnd Win32WindowSystem::WindowFromPoint(wintools::ScreenPoint p) {
  return FromHandle(::WindowFromPoint(POINT{p.x, p.y}));
}

std::u16string Win32WindowSystem::GetWindowText(Hwnd hwnd, int max_count) {
  HWND h = Live(hwnd);
  if (h == nullptr) return {};
  return ReadInto(max_count, [h](wchar_t* b, int n) { return ::GetWindowTextW(h, b, n); });
}

int Win32WindowSystem::GetWindowTextLength(Hwnd hwnd) {
  HWND h = Live(hwnd);
  return h != nullptr ? ::GetWindowTextLengthW(h) : 0;
}

std::u16string Win32WindowSystem::GetClassName(Hwnd hwnd, int max_count) {
  HWND h = Live(hwnd);
  if (h == nullptr) return {};
  return ReadInto(max_count, [h](wchar_t* b, int n) { return ::GetClassNameW(h, b, n); });
}

Hwnd Win32WindowSystem::GetParent(Hwnd hwnd) {
  HWND h = Live(hwnd);
  return h != nullptr ? FromHandle(::GetParent(h)) : 0;
}

Hwnd Win32WindowSystem::FindWindowEx(Hwnd parent, Hwnd child_after,
                                     std::u16string_view class_name) {
  // A parent that has vanished has no children; FindWindowExW would search the top level.
  if (parent != 0 && Live(parent) == nullptr) return 0;
  if (child_after != 0 && Live(child_after) == nullptr) return 0;
  const std::u16string name(class_name);
  return FromHandle(::FindWindowExW(ToHandle(parent), ToHandle(child_after), Wide(name), nullptr));
}

std::vector<Hwnd> Win32WindowSystem::FindAllWindowsEx(Hwnd parent, std::u16string_view class_name) {
  // One walk along the children in FindWindowExW's order (the z-order), where a call of
  // FindWindowExW for each would list the parent's children again each time: with many
  // siblings those calls take quadratic time. The walk is bounded, as the windows may be
  // restacked while it runs.
  if (parent != 0 && Live(parent) == nullptr) return {};
  HWND first = ::GetWindow(parent == 0 ? ::GetDesktopWindow() : ToHandle(parent), GW_CHILD);
  const std::u16string wanted = text::FoldCase(class_name);
  std::vector<Hwnd> found;
  std::size_t walked = 0;
  for (HWND h = first; h != nullptr && walked < kMaxFound; h = ::GetWindow(h, GW_HWNDNEXT)) {
    ++walked;
    // Class names are at most 256 characters long.
    const std::u16string name =
        ReadInto(257, [h](wchar_t* b, int n) { return ::GetClassNameW(h, b, n); });
    if (text::FoldCase(name) == wanted) found.push_back(FromHandle(h));
  }
  return found;
}

bool Win32WindowSystem::ShowWindow(Hwnd hwnd, int cmd) {
  HWND h = Live(hwnd);
  if (h == nullptr) return false;
  // ShowWindow answers whether the window was visible before, not whether it worked; the
  // request itself cannot fail on a live window. Another program's window is asked without
  // waiting for it.
  if (::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId()) {
    ::ShowWindow(h, cmd);
  } else {
    ::ShowWindowAsync(h, cmd);
  }
  return true;
}

bool Win32WindowSystem::EnableWindow(Hwnd hwnd, bool enable) {
  HWND h = Live(hwnd);
  if (h == nullptr) return false;
  // EnableWindow answers the earlier state, not success.
  ::EnableWindow(h, enable ? TRUE : FALSE);
  return true;
}

bool Win32WindowSystem::PostClose(Hwnd hwnd) {
  HWND h = Live(hwnd);
  return h != nullptr && ::PostMessageW(h, WM_CLOSE, 0, 0) != 0;
}

int Win32WindowSystem::SendGetTextLength(Hwnd hwnd) {
  HWND h = Live(hwnd);
  DWORD_PTR length = 0;
  if (h == nullptr || !Send(h, WM_GETTEXTLENGTH, 0, 0, length)) return 0;
  return static_cast<int>(length);
}

std::u16string Win32WindowSystem::SendGetText(Hwnd hwnd, int max_count) {
  HWND h = Live(hwnd);
  if (h == nullptr) return {};
  return ReadInto(max_count, [h](wchar_t* b, int n) -> long long {
    DWORD_PTR copied = 0;
    if (!Send(h, WM_GETTEXT, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(b), copied)) {
      return 0;
    }
    return static_cast<long long>(copied);
  });
}

bool Win32WindowSystem::SendSetText(Hwnd hwnd, std::u16string_view text) {
  HWND h = Live(hwnd);
  if (h == nullptr) return false;
  const std::u16string copy(text);
  DWORD_PTR done = 0;
  return Send(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(copy)), done) && done != 0;
}

bool Win32WindowSystem::SendUndo(Hwnd hwnd) {
  HWND h = Live(hwnd);
  if (h == nullptr) return false;
  std::int32_t zero = 0;
  DWORD_PTR undone = 0;
  return Send(h, WM_UNDO, 0, reinterpret_cast<LPARAM>(&zero), undone);
}

std::uint32_t Win32WindowSystem::GetScreenPixel(wintools::ScreenPoint p) {
  // The screen is the virtual desktop, which may start left of or above (0, 0).
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  if (p.x < left || p.y < top || p.x >= left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN) ||
      p.y >= top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)) {
    return wintools::kClrInvalid;
  }
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return wintools::kClrInvalid;
  const COLORREF color = ::GetPixel(screen, p.x, p.y);
  ::ReleaseDC(nullptr, screen);
  return static_cast<std::uint32_t>(color);
}

std::unique_ptr<wintools::WindowSystem> TryWin32(const SessionEnvironment&, std::u16string&) {
  return std::make_unique<Win32WindowSystem>();
}

std::vector<BackendCandidate> BuiltInBackends() { return {{"win32", TryWin32}}; }

std::unique_ptr<wintools::PickHighlight> MakePickHighlight(const SessionEnvironment&) {
  // Windows builds draw no outline yet: it would need a topmost layered window that
  // WindowFromPoint sees through, which this backend does not make.
  return std::make_unique<wintools::NoPickHighlight>();
}

}  // namespace quillan::platform
