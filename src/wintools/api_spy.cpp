#include "wintools/api_spy.h"

#include <string>

namespace quillan::wintools {

namespace {

std::u16string Ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace

std::u16string MakeOne(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c != u'\r' && c != u'\n') out.push_back(c);
  }
  return out;
}

std::u16string HandleText(Hwnd hwnd) { return Ascii(std::to_string(hwnd)); }

Hwnd WindowUnderPointer(WindowSystem& windows) {
  return windows.WindowFromPoint(windows.GetCursorPos());
}

bool ApiSpy::Inspect(WindowSystem& windows) {
  return Inspect(windows, WindowUnderPointer(windows));
}

bool ApiSpy::Inspect(WindowSystem& windows, Hwnd h) {
  if (h == last_) return false;
  last_ = h;
  fields_.handle = HandleText(h);
  fields_.text = MakeOne(windows.GetWindowText(h, kTextBufferSize));
  fields_.class_name = windows.GetClassName(h, kTextBufferSize);
  const Hwnd p = windows.GetParent(h);
  if (p != 0) {
    fields_.parent_handle = HandleText(p);
    fields_.parent_text = windows.GetWindowText(p, kTextBufferSize);
    fields_.parent_class = windows.GetClassName(p, kTextBufferSize);
  } else {
    fields_.parent_handle = fields_.parent_text = fields_.parent_class = u"NONE";
  }
  return true;
}

}  // namespace quillan::wintools
