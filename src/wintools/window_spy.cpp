#include "wintools/window_spy.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>
#include <string>

namespace quillan::wintools {

namespace {

std::u16string Decimal(std::uint32_t value) {
  const std::string s = std::to_string(value);
  return std::u16string(s.begin(), s.end());
}

// Exactly n characters: the answer, cut or padded with NULs.
std::u16string Exactly(std::u16string s, int n) {
  s.resize(static_cast<std::size_t>(std::max(n, 0)), u'\0');
  return s;
}

}  // namespace

std::optional<Hwnd> ParseHandle(std::u16string_view text) {
  if (text.empty() || text.size() > 11) return std::nullopt;
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  if (value < std::numeric_limits<Hwnd>::min() || value > std::numeric_limits<Hwnd>::max()) {
    return std::nullopt;
  }
  return static_cast<Hwnd>(value);
}

namespace {

// Each action's call and what it needs: a ShowWindow command (or -1 for another call), and
// the capability that must be there.
struct ActionSpec {
  SpyAction action;
  int show_command;
  Capability needs;
};
constexpr ActionSpec kActions[] = {
    {SpyAction::kHide, kSwHide, Capability::kShowHide},
    {SpyAction::kShow, kSwShow, Capability::kShowHide},
    {SpyAction::kEnable, -1, Capability::kEnableDisable},
    {SpyAction::kDisable, -1, Capability::kEnableDisable},
    {SpyAction::kMinimize, kSwMinimize, Capability::kMinimizeMaximize},
    {SpyAction::kMaximize, kSwMaximize, Capability::kMinimizeMaximize},
    {SpyAction::kRestore, kSwRestore, Capability::kShowHide},
    {SpyAction::kClose, -1, Capability::kClose},
};

const ActionSpec& SpecOf(SpyAction action) {
  return *std::find_if(std::begin(kActions), std::end(kActions),
                       [action](const ActionSpec& spec) { return spec.action == action; });
}

}  // namespace

void RunSpyAction(WindowSystem& windows, Hwnd h, SpyAction action) {
  const ActionSpec& spec = SpecOf(action);
  if (spec.show_command >= 0) {
    windows.ShowWindow(h, spec.show_command);
  } else if (action == SpyAction::kClose) {
    windows.PostClose(h);
  } else {
    windows.EnableWindow(h, action == SpyAction::kEnable);
  }
}

std::u16string SpyActionLimit(const WindowSystem& windows, SpyAction action) {
  return windows.CannotDo(SpecOf(action).needs);
}

std::u16string SpyActionLimit(WindowSystem& windows, SpyAction action, Hwnd h) {
  return windows.CannotDo(SpecOf(action).needs, h);
}

std::u16string SpyActionNote(WindowSystem& windows, SpyAction action, std::optional<Hwnd> h) {
  if (action != SpyAction::kRestore) return {};
  const std::u16string cannot = h ? windows.CannotDo(Capability::kMinimizeMaximize, *h)
                                  : windows.CannotDo(Capability::kMinimizeMaximize);
  if (cannot.empty()) return {};
  // Nothing can then be minimized or maximized, so there is nothing to restore from.
  return cannot + u" Here Restore only shows a hidden window.";
}

std::u16string ReadCaption(WindowSystem& windows, Hwnd h) {
  const int n = windows.GetWindowTextLength(h);
  return Exactly(windows.GetWindowText(h, n + 1), n);
}

std::u16string ReadText(WindowSystem& windows, Hwnd h) {
  const int n = windows.SendGetTextLength(h);
  return Exactly(windows.SendGetText(h, n + 1), n);
}

void WriteText(WindowSystem& windows, Hwnd h, std::u16string_view s) { windows.SendSetText(h, s); }

ColorReadout ReadoutOf(std::uint32_t value) {
  const std::uint32_t red = value & 255, green = (value / 256) & 255, blue = (value / 65536) & 255;
  // Red first in the HTML code, six upper-case hexadecimal digits.
  const std::uint32_t html = 65536 * red + 256 * green + blue;
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string hex(6, u'0');
  for (int i = 0; i < 6; ++i)
    hex[static_cast<std::size_t>(5 - i)] = kDigits[(html >> (4 * i)) & 15];
  return {Decimal(value), u"#" + hex, Decimal(red), Decimal(green), Decimal(blue)};
}

std::u16string VbHexOf(std::uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string hex = u"&H00000000&";
  for (int i = 0; i < 8; ++i) {
    hex[static_cast<std::size_t>(9 - i)] = kDigits[(value >> (4 * i)) & 15];
  }
  return hex;
}

std::u16string VbRgbOf(std::uint32_t value) {
  return u"RGB(" + Decimal(value & 255) + u", " + Decimal((value / 256) & 255) + u", " +
         Decimal((value / 65536) & 255) + u")";
}

bool ColorSpy::Sample(WindowSystem& windows) {
  point_ = windows.GetCursorPos();
  const std::uint32_t value = windows.GetScreenPixel(point_);
  if (value == kClrInvalid) return false;
  const bool changed = swatch_ != value;
  swatch_ = value;
  readout_ = ReadoutOf(value);
  return changed;
}

}  // namespace quillan::wintools
