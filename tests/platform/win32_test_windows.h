#pragma once

// Windows made on a thread of their own, as another program's windows would be: used by the
// Win32 backend's tests and by the window maker that the Wine helper's tests drive.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/windows_api.h"

namespace quillan::platform {

// What the window thread is asked to do, through a message to its message-only window.
constexpr UINT kCreate = WM_APP + 1;
constexpr UINT kDestroy = WM_APP + 2;
constexpr UINT kSync = WM_APP + 3;

struct CreateRequest {
  std::u16string class_name, text;
  HWND parent = nullptr;  // the parent of a child, the owner of a top-level window
  bool child = false, popup = false;
  RECT rect{};  // in screen pixels, or in the parent's client area for a child
  COLORREF paint = RGB(255, 255, 255);
};

// The test windows belong to a thread of their own with its own message loop, as another
// program's windows would: the backend's messages cross threads, and requests that need the
// window's thread (creation, destruction, painting) are sent to it.
class WindowThread {
 public:
  WindowThread() {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return control_ != nullptr; });
  }
  ~WindowThread() {
    ::PostMessageW(control_, WM_QUIT, 0, 0);
    ::PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND Create(CreateRequest& request) {
    return reinterpret_cast<HWND>(
        ::SendMessageW(control_, kCreate, 0, reinterpret_cast<LPARAM>(&request)));
  }
  void Destroy(HWND hwnd) { ::SendMessageW(control_, kDestroy, 0, reinterpret_cast<LPARAM>(hwnd)); }
  // Waits until the thread has handled everything sent or posted to its windows so far.
  void Sync() {
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::PostMessageW(control_, kSync, 0, reinterpret_cast<LPARAM>(done));
    ::WaitForSingleObject(done, 5000);
    ::CloseHandle(done);
    ::SendMessageW(control_, WM_NULL, 0, 0);
  }

 private:
  static LRESULT CALLBACK PaintedProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ERASEBKGND) {
      RECT r;
      ::GetClientRect(hwnd, &r);
      HBRUSH brush =
          ::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
      ::FillRect(reinterpret_cast<HDC>(wparam), &r, brush);
      ::DeleteObject(brush);
      return 1;
    }
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<WindowThread*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
      case kCreate:
        return reinterpret_cast<LRESULT>(self->Make(*reinterpret_cast<CreateRequest*>(lparam)));
      case kDestroy:
        ::DestroyWindow(reinterpret_cast<HWND>(lparam));
        return 0;
      case kSync:
        ::SetEvent(reinterpret_cast<HANDLE>(lparam));
        return 0;
      default:
        return ::DefWindowProcW(hwnd, message, wparam, lparam);
    }
  }

  // The system's classes (Edit, Button, the dialog class #32770) are used as they are; any
  // other class is registered on first use, painting its background in the request's colour.
  HWND Make(CreateRequest& r) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    const bool system = ::GetClassInfoExW(nullptr, Wide(r.class_name), &existing) != 0;
    if (!system && !::GetClassInfoExW(instance, Wide(r.class_name), &existing)) {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = PaintedProc;
      wc.hInstance = instance;
      wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      wc.lpszClassName = Wide(r.class_name);
      ::RegisterClassExW(&wc);
    }
    DWORD style = WS_VISIBLE;
    if (r.child) {
      style |= WS_CHILD;
    } else if (r.popup) {
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
    } else {
      style |= WS_OVERLAPPEDWINDOW;
    }
    HWND hwnd = ::CreateWindowExW(0, Wide(r.class_name), Wide(r.text), style, r.rect.left,
                                  r.rect.top, r.rect.right - r.rect.left,
                                  r.rect.bottom - r.rect.top, r.parent, nullptr, instance, nullptr);
    if (hwnd != nullptr && !system) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(r.paint));
      ::InvalidateRect(hwnd, nullptr, TRUE);
      ::UpdateWindow(hwnd);
    }
    return hwnd;
  }

  void Run() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillanTestControl";
    ::RegisterClassExW(&wc);
    HWND control = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr);
    ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    {
      std::lock_guard lock(mutex_);
      thread_id_ = ::GetCurrentThreadId();
      control_ = control;
    }
    ready_.notify_all();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::DestroyWindow(control);
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  HWND control_ = nullptr;
  DWORD thread_id_ = 0;
};

}  // namespace quillan::platform
