#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "wintools/window_system.h"

namespace quillan::wintools {

/// The handle in Window Spy's box: a whole decimal number that fits a handle; nullopt for
/// anything else (then the buttons do nothing).
std::optional<Hwnd> ParseHandle(std::u16string_view text);

/// The eight buttons of Window Spy that make one platform call each.
enum class SpyAction { kHide, kShow, kEnable, kDisable, kMinimize, kMaximize, kRestore, kClose };

/// Makes the action's one call on h; its result is ignored, as the tool ignores it.
void RunSpyAction(WindowSystem& windows, Hwnd h, SpyAction action);

/// What keeps an action from working in this session ("" when nothing does), for the tool to
/// say instead of pretending.
std::u16string SpyActionLimit(const WindowSystem& windows, SpyAction action);
/// The same for the window h in particular: what one window allows may differ from another's.
std::u16string SpyActionLimit(WindowSystem& windows, SpyAction action, Hwnd h);
/// What an action that can be made does less of here than its name says ("" when nothing),
/// for the window h when given: where nothing can be minimized or maximized, Restore only
/// shows the window.
std::u16string SpyActionNote(WindowSystem& windows, SpyAction action, std::optional<Hwnd> h);

/// `ReadCaption`: exactly GetWindowTextLength(h) characters, from GetWindowText with one more
/// as the buffer's size; a shorter answer is padded with NUL characters, as the buffer was.
std::u16string ReadCaption(WindowSystem& windows, Hwnd h);
/// `ReadText`: the same through WM_GETTEXTLENGTH and WM_GETTEXT.
std::u16string ReadText(WindowSystem& windows, Hwnd h);
/// `WriteText`: WM_SETTEXT.
void WriteText(WindowSystem& windows, Hwnd h, std::u16string_view s);

/// Color Spy's five fields for a colour value (red + 256 * green + 65536 * blue).
struct ColorReadout {
  std::u16string color;
  std::u16string html;
  std::u16string red;
  std::u16string green;
  std::u16string blue;

  bool operator==(const ColorReadout&) const = default;
};
ColorReadout ReadoutOf(std::uint32_t value);

/// The colour as Visual Basic code writes it: "&H00BBGGRR&", a Long in hexadecimal with
/// blue, green and red (the value itself, eight digits), and "RGB(r, g, b)".
std::u16string VbHexOf(std::uint32_t value);
std::u16string VbRgbOf(std::uint32_t value);

/// Color Spy's state: the swatch's colour and the fields, from the last pixel that could be
/// read. A pixel that cannot be read (CLR_INVALID) changes nothing.
class ColorSpy {
 public:
  /// One tick of the sampling timer. Returns whether the swatch's colour changed.
  bool Sample(WindowSystem& windows);

  const std::optional<std::uint32_t>& swatch() const { return swatch_; }
  /// Where the pointer was at the last tick.
  ScreenPoint point() const { return point_; }
  const ColorReadout& readout() const { return readout_; }

 private:
  std::optional<std::uint32_t> swatch_;
  ColorReadout readout_;
  ScreenPoint point_;
};

}  // namespace quillan::wintools
