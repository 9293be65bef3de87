#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::wintools {

/// A window handle of any process: a 32-bit signed integer, 0 for none.
using Hwnd = std::int32_t;

struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

/// A rectangle on the screen in pixels, right and bottom exclusive, as Win32's RECT.
struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const ScreenRect&) const = default;
};

// The constants the callers pass, with their Win32 values.
inline constexpr Hwnd kHwndTopmost = -1;
inline constexpr Hwnd kHwndNoTopmost = -2;
inline constexpr std::uint32_t kSwpNoSize = 1;
inline constexpr std::uint32_t kSwpNoMove = 2;
inline constexpr int kSwHide = 0;
inline constexpr int kSwMaximize = 3;
inline constexpr int kSwShow = 5;
inline constexpr int kSwMinimize = 6;
inline constexpr int kSwRestore = 9;
inline constexpr std::uint32_t kWmSetText = 12;
inline constexpr std::uint32_t kWmGetText = 13;
inline constexpr std::uint32_t kWmGetTextLength = 14;
inline constexpr std::uint32_t kWmClose = 16;
inline constexpr std::uint32_t kWmUndo = 0x0304;
/// What `GetScreenPixel` answers where a pixel cannot be read: all 32 bits set.
inline constexpr std::uint32_t kClrInvalid = 0xFFFFFFFF;

/// The groups of operations a backend may be unable to carry out.
enum class Capability {
  kReadWindows,       ///< pointer position, the window under it, texts, classes, parents
  kShowHide,          ///< ShowWindow with SW_HIDE, SW_SHOW and SW_RESTORE (which shows)
  kMinimizeMaximize,  ///< ShowWindow with SW_MINIMIZE and SW_MAXIMIZE
  kEnableDisable,     ///< EnableWindow on another program's window
  kClose,             ///< the close request
  kSetText,           ///< WM_SETTEXT and WM_UNDO
  kReadScreen,        ///< GetScreenPixel
};

/// The window-system operations the tools use. A request on a handle that names no window
/// does nothing, and a query on it gives 0 or an empty text; nothing here throws.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  /// Why this backend cannot do `what`, in words for the user (for example "There is no X11
  /// display."), or "" when it can. Tools say this instead of pretending.
  virtual std::u16string CannotDo(Capability what) const = 0;
  /// Why `what` cannot be done to the window `hwnd` in particular, or "" when it can. One
  /// session may hold windows of several kinds (X11 windows beside the Windows programs of a
  /// Wine prefix) that allow different things; a handle that names no window gets the
  /// backend's general answer. By default that answer for every window.
  virtual std::u16string CannotDo(Capability what, Hwnd hwnd) {
    static_cast<void>(hwnd);
    return CannotDo(what);
  }

  /// A picking drag begins. A backend that needs time before it can answer for some windows
  /// gets ready now, without waiting, so that it can answer by the time the arrow gets there.
  virtual void PrepareToPick() {}
  /// A problem met since the last call that changes what the tools can show (windows that can
  /// be seen only as X11 shows them, for example), in words for the user; "" when there is
  /// none. Each problem is told once.
  virtual std::u16string TakeNotice() { return {}; }

  /// `SetWindowPos`: with kHwndTopmost / kHwndNoTopmost and flags 3 changes only the z-order.
  virtual bool SetWindowPos(Hwnd hwnd, Hwnd insert_after, int x, int y, int cx, int cy,
                            std::uint32_t flags) = 0;
  /// `IsWindow`: whether the handle names a window that exists now (0 never does).
  virtual bool IsWindow(Hwnd hwnd) = 0;
  /// `GetWindowRect`: where the window is on the screen; empty when the handle names no
  /// window. A frame the window manager draws around an X11 window is not the window's.
  virtual ScreenRect GetWindowRect(Hwnd hwnd) = 0;
  /// `GetCursorPos`: the pointer position in screen pixels.
  virtual ScreenPoint GetCursorPos() = 0;
  /// `WindowFromPoint`: the deepest window at the point, 0 if none.
  virtual Hwnd WindowFromPoint(ScreenPoint p) = 0;
  /// `GetWindowTextA` with a buffer of max_count: at most max_count - 1 characters.
  virtual std::u16string GetWindowText(Hwnd hwnd, int max_count) = 0;
  /// `GetWindowTextLengthA`.
  virtual int GetWindowTextLength(Hwnd hwnd) = 0;
  /// `GetClassNameA` with a buffer of max_count: at most max_count - 1 characters.
  virtual std::u16string GetClassName(Hwnd hwnd, int max_count) = 0;
  /// `GetParent`: the parent, for an owned top-level window its owner; 0 if none.
  virtual Hwnd GetParent(Hwnd hwnd) = 0;
  /// `FindWindowExA` with a null window name: the next child of parent (0: top level) after
  /// child_after (0: from the first) whose class is class_name, compared case-insensitively
  /// as Windows does; 0 if none.
  virtual Hwnd FindWindowEx(Hwnd parent, Hwnd child_after, std::u16string_view class_name) = 0;
  /// Every child of parent whose class is class_name, in FindWindowEx's order: what calling
  /// FindWindowEx from 0 until it answers 0 would give, in one request where the backend can.
  virtual std::vector<Hwnd> FindAllWindowsEx(Hwnd parent, std::u16string_view class_name) {
    std::vector<Hwnd> found;
    for (Hwnd h = FindWindowEx(parent, 0, class_name); h != 0 && found.size() < kMaxFound;
         h = FindWindowEx(parent, h, class_name)) {
      found.push_back(h);
    }
    return found;
  }
  /// More windows than this under one parent are not a real tree.
  static constexpr std::size_t kMaxFound = 100000;

  /// `ShowWindow` with kSwHide, kSwMaximize, kSwShow, kSwMinimize or kSwRestore.
  virtual bool ShowWindow(Hwnd hwnd, int cmd) = 0;
  /// `EnableWindow`.
  virtual bool EnableWindow(Hwnd hwnd, bool enable) = 0;
  /// `PostMessageA(hwnd, WM_CLOSE, 0, 0)`: queues a close request, does not wait.
  virtual bool PostClose(Hwnd hwnd) = 0;
  /// `SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)`.
  virtual int SendGetTextLength(Hwnd hwnd) = 0;
  /// `SendMessageA(hwnd, WM_GETTEXT, max_count, buffer)`: at most max_count - 1 characters.
  virtual std::u16string SendGetText(Hwnd hwnd, int max_count) = 0;
  /// `SendMessageA(hwnd, WM_SETTEXT, 0, text)`.
  virtual bool SendSetText(Hwnd hwnd, std::u16string_view text) = 0;
  /// `SendMessageA(hwnd, WM_UNDO, 0, &zero)`: undoes the edit box's last edit.
  virtual bool SendUndo(Hwnd hwnd) = 0;
  /// `GetPixel(GetDC(0), x, y)`: red + 256 * green + 65536 * blue; kClrInvalid where the
  /// pixel cannot be read (off the screen, or the session forbids it).
  virtual std::uint32_t GetScreenPixel(ScreenPoint p) = 0;
  /// The pixels of the rectangle r, row by row from its top left, each as GetScreenPixel
  /// gives it (kClrInvalid off the screen); in one request where the backend can.
  virtual std::vector<std::uint32_t> GetScreenPixels(ScreenRect r) {
    std::vector<std::uint32_t> pixels;
    if (r.empty()) return pixels;
    pixels.reserve(static_cast<std::size_t>(r.right - r.left) * (r.bottom - r.top));
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
      for (std::int32_t x = r.left; x < r.right; ++x) pixels.push_back(GetScreenPixel({x, y}));
    }
    return pixels;
  }
};

}  // namespace quillan::wintools
