// quillan-wine-helper.exe: answers the window tools' questions from inside a Wine prefix.
//
// Under Wine, a Windows program's windows are one flat X window each; only a program in the
// same prefix sees them as Win32 does (classes, child windows, handles). Quillan starts this
// helper with the prefix's environment and speaks the window protocol with it on standard
// input and output: the helper says hello, then answers each request with the Win32 backend,
// until its input ends.
#include <string>

#include "platform/win32/win32_window_system.h"
#include "platform/win32/windows_api.h"
#include "wintools/window_protocol.h"

namespace {

bool WriteAll(HANDLE out, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!::WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                     nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

int main() {
  namespace protocol = quillan::wintools::protocol;
  // The standard handles are used as they are: bytes, with no text-mode translation.
  HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  quillan::platform::Win32WindowSystem windows;
  // The first call of user32 loads the display driver; the hello comes after it, so that the
  // first request is answered as fast as any other.
  windows.GetCursorPos();
  if (!WriteAll(out, protocol::Frame(protocol::EncodeHello()))) return 1;

  protocol::FrameReader reader;
  static char buffer[64 * 1024];
  DWORD n = 0;
  while (::ReadFile(in, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    reader.Feed(std::string_view(buffer, n));
    while (const auto request = reader.Next()) {
      if (!WriteAll(out, protocol::Frame(protocol::Serve(windows, *request)))) return 1;
    }
    // A stream that is not frames any more cannot be answered.
    if (reader.broken()) return 1;
  }
  return 0;
}
