#pragma once

// <windows.h> for the Win32 backend. Its A/W-choosing macros would rename the port's
// operations of the same names, so they are taken away; the backend calls the W functions
// by their full names.
#include <windows.h>

#undef GetWindowText
#undef GetWindowTextLength
#undef GetClassName
#undef FindWindowEx

#include <cstdint>
#include <string>

#include "text/vb_string.h"

namespace quillan::platform {

// wchar_t is a UTF-16 unit on Windows: the program's strings pass through unchanged.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* Wide(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}

// Window handles are 32-bit values sign-extended to the pointer's width.
inline HWND ToHandle(std::int32_t h) { return static_cast<HWND>(LongToHandle(h)); }
inline std::int32_t FromHandle(HWND h) { return static_cast<std::int32_t>(HandleToLong(h)); }

// The system's words for an error, without the line end it ends in.
inline std::u16string SystemError(DWORD error) {
  wchar_t* message = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(message), n);
  ::LocalFree(message);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
    text.pop_back();
  }
  if (text.empty()) text = u"Error " + text::FromUtf8(std::to_string(error));
  return text;
}

// Deletes the file open as h once the last handle to it is closed: the way to delete a file
// that is open without sharing. The handle must have DELETE access.
inline bool DeleteWhenClosed(HANDLE h) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) !=
         0;
}

// A file handle, closed when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Closes now; false when the system could not finish (a failed delayed write).
  bool Close() {
    const bool ok = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

}  // namespace quillan::platform
