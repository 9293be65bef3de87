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

namespace quillan::platform {

// wchar_t is a UTF-16 unit on Windows: the program's strings pass through unchanged.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* Wide(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}

// Window handles are 32-bit values sign-extended to the pointer's width.
inline HWND ToHandle(std::int32_t h) { return static_cast<HWND>(LongToHandle(h)); }
inline std::int32_t FromHandle(HWND h) { return static_cast<std::int32_t>(HandleToLong(h)); }

}  // namespace quillan::platform
