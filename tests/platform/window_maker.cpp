// quillan-window-maker.exe: makes the contract suite's windows inside a Wine prefix, on the
// commands of the Wine helper's test, one line each on standard input, answering one line
// each on standard output:
//   create KIND PARENT LEFT TOP RIGHT BOTTOM<TAB>CLASS<TAB>TEXT   -> the new window's handle
//       KIND: child (of PARENT), top, owned or popup (owned by PARENT, 0 for none)
//   destroy HWND                                                -> ok
//   screen HWND X Y      the screen point of (X, Y) in the window's client area -> X Y
//   pointer X Y          moves the pointer there                               -> ok
//   move HWND LEFT TOP RIGHT BOTTOM   moves a top-level window, of any program  -> ok
//   sync                 waits until the windows have handled what was asked    -> ok
//   state HWND           as user32 sees the window: IsWindow IsWindowVisible IsWindowEnabled,
//                        then a tab and its text by WM_GETTEXT, in UTF-8 with CR, LF and
//                        backslash written \r, \n and \\                    -> 1 1 1<TAB>text
//   caption HWND         its text by GetWindowText, written as by state: of another
//                        program's window, the caption the system keeps   -> text
// It ends when its input does.
#include <cstdio>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/win32_test_windows.h"

namespace {

using quillan::platform::CreateRequest;
using quillan::platform::FromHandle;
using quillan::platform::ToHandle;

std::u16string FromUtf8(const std::string& s) {
  if (s.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

// One line of UTF-8, its line breaks escaped.
std::string ToUtf8Line(const wchar_t* s) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the terminator
  std::string escaped;
  for (char c : out) {
    if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\\') {
      escaped += "\\\\";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string Answer(quillan::platform::WindowThread& windows, const std::string& line) {
  std::istringstream in(line.substr(0, line.find('\t')));
  std::string command;
  in >> command;
  if (command == "create") {
    std::string kind;
    long parent = 0;
    CreateRequest r;
    in >> kind >> parent >> r.rect.left >> r.rect.top >> r.rect.right >> r.rect.bottom;
    const std::size_t tab = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab + 1);
    if (!in || tab2 == std::string::npos) return "error";
    r.class_name = FromUtf8(line.substr(tab + 1, tab2 - tab - 1));
    r.text = FromUtf8(line.substr(tab2 + 1));
    r.parent = ToHandle(static_cast<std::int32_t>(parent));
    r.child = kind == "child";
    r.popup = kind == "popup";
    HWND made = windows.Create(r);
    windows.Sync();
    return std::to_string(FromHandle(made));
  }
  if (command == "destroy") {
    long hwnd = 0;
    in >> hwnd;
    windows.Destroy(ToHandle(static_cast<std::int32_t>(hwnd)));
    return "ok";
  }
  if (command == "screen") {
    long hwnd = 0;
    POINT p{};
    in >> hwnd >> p.x >> p.y;
    ::ClientToScreen(ToHandle(static_cast<std::int32_t>(hwnd)), &p);
    return std::to_string(p.x) + " " + std::to_string(p.y);
  }
  if (command == "pointer") {
    int x = 0, y = 0;
    in >> x >> y;
    ::SetCursorPos(x, y);
    return "ok";
  }
  if (command == "move") {
    long hwnd = 0;
    RECT r{};
    in >> hwnd >> r.left >> r.top >> r.right >> r.bottom;
    const bool moved =
        ::SetWindowPos(ToHandle(static_cast<std::int32_t>(hwnd)), nullptr, r.left, r.top,
                       r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE) != 0;
    return moved ? "ok" : "error";
  }
  if (command == "state") {
    long hwnd = 0;
    in >> hwnd;
    HWND h = ToHandle(static_cast<std::int32_t>(hwnd));
    wchar_t text[1024] = {};
    ::SendMessageW(h, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return std::to_string(::IsWindow(h) ? 1 : 0) + " " +
           std::to_string(::IsWindowVisible(h) ? 1 : 0) + " " +
           std::to_string(::IsWindowEnabled(h) ? 1 : 0) + "\t" + ToUtf8Line(text);
  }
  if (command == "caption") {
    long hwnd = 0;
    in >> hwnd;
    wchar_t text[1024] = {};
    ::GetWindowTextW(ToHandle(static_cast<std::int32_t>(hwnd)), text, std::size(text));
    return ToUtf8Line(text);
  }
  if (command == "sync") {
    windows.Sync();
    return "ok";
  }
  return "error";
}

}  // namespace

int main() {
  HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  quillan::platform::WindowThread windows;
  std::string pending;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(input, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    pending.append(buffer, n);
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::string answer = Answer(windows, line) + "\n";
      DWORD written = 0;
      ::WriteFile(output, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    }
  }
  return 0;
}
