#pragma once

// <windows.h> for the Win32 backend. Its A/W-choosing macros would rename the port's
// operations of the same names, so they are taken away; the backend calls the W functions
// by their full names.
#include <windows.h>

#undef GetWindowText
#undef GetWindowTextLength
#undef GetClassName
#undef FindWindowEx
