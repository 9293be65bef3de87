#pragma once

// The XCB side of X11WindowSystem, shared by its three source files: the connection, the
// atoms and the requests on any window (x11_window_system.cpp), reading windows and the
// screen (x11_window_reading.cpp), and acting on windows (x11_window_actions.cpp). Only
// those files include it.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/x11/x11_window_system.h"

namespace quillan::platform {

namespace x11 {

// Frees an XCB reply when it goes out of scope.
template <typename T>
struct Reply {
  T* p = nullptr;
  explicit Reply(T* reply) : p(reply) {}
  ~Reply() { std::free(p); }
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  Reply(Reply&& other) noexcept : p(other.p) { other.p = nullptr; }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

// A reply, its error freed: a null reply is the error.
template <typename T, typename Cookie, typename F>
Reply<T> Get(xcb_connection_t* c, Cookie cookie, F reply_function) {
  xcb_generic_error_t* error = nullptr;
  T* reply = reply_function(c, cookie, &error);
  std::free(error);
  return Reply<T>(reply);
}

inline std::u16string Latin1(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
  return out;
}

}  // namespace x11

class X11WindowSystem::Impl {
 public:
  Impl(xcb_connection_t* c, xcb_screen_t* screen);
  ~Impl();

  xcb_connection_t* c() const { return c_; }
  xcb_window_t root() const { return root_; }
  const xcb_screen_t& screen() const { return *screen_; }

  // Requests on any window (x11_window_system.cpp).

  struct Tree {
    xcb_window_t parent = 0;
    std::vector<xcb_window_t> children;  // bottom to top, as the server keeps them
  };
  std::optional<Tree> QueryTree(xcb_window_t w) const;

  bool Exists(xcb_window_t w) const;

  // A property's bytes; nullopt when the window or the property is missing.
  std::optional<std::string> Property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                                      xcb_atom_t* actual_type = nullptr) const;

  bool WindowManagerRuns() const;

  // Sends a client message the window manager acts on, as the EWMH asks.
  bool MessageToRoot(xcb_window_t w, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1 = 0,
                     std::uint32_t d2 = 0) const;

  bool Checked(xcb_void_cookie_t cookie) const;

  // Reading windows (x11_window_reading.cpp).

  // The client inside a top-level window: the window itself when it carries WM_STATE or
  // WM_CLASS (a frame carries neither), else the first window with WM_STATE in a
  // breadth-first search a few levels down, as window managers nest their frames; without
  // one, the top-level itself.
  xcb_window_t ClientOf(xcb_window_t top) const;

  // The class halves of several windows' WM_CLASS, their requests sent together.
  std::vector<std::u16string> Classes(const std::vector<xcb_window_t>& windows) const;

  static std::u16string ClassHalf(const std::string& value);

  // Where a window stands, in one round trip: a client (it carries WM_STATE, or without a
  // window manager, or once withdrawn, it is a child of the root) with its owner, or a
  // subwindow or frame with the window it is in. nullopt when the window is gone.
  struct Placement {
    bool client = false;
    xcb_window_t parent = 0;
    xcb_window_t owner = 0;  // WM_TRANSIENT_FOR, for a client
  };
  std::optional<Placement> Place(xcb_window_t w) const;

  bool IsClient(xcb_window_t w) const;

  // The children FindWindowEx looks at: for 0 the top-level clients, top of the stacking
  // order first; else the window's children bottom to top, the order they were made in unless
  // a program restacked them (as a dialog's controls come in the order of its template on
  // Windows). nullopt when the parent is gone.
  std::optional<std::vector<xcb_window_t>> SearchedChildren(wintools::Hwnd parent) const;

  // Those of `windows` whose class is class_name, compared case-insensitively as Windows
  // does, in order; only the first with `first_only`.
  std::vector<wintools::Hwnd> OfClass(const std::vector<xcb_window_t>& windows,
                                      std::u16string_view class_name, bool first_only) const;

  // The top-level clients, top of the stacking order first, hidden and minimized included.
  std::vector<xcb_window_t> TopLevelClients() const;

  struct Box {
    int x = 0, y = 0, width = 0, height = 0;  // outer box, border included, in the parent
    int border = 0;
    bool viewable = false;
    bool input_output = false;
  };
  // The boxes of several windows, their requests sent together.
  std::vector<std::optional<Box>> Boxes(const std::vector<xcb_window_t>& windows) const;

  // The topmost viewable InputOutput child of w that holds the point (x, y), given in w's
  // coordinates, and takes the pointer there; 0 when none. The point comes back in that
  // child's coordinates.
  xcb_window_t ChildAt(xcb_window_t w, int& x, int& y) const;

  // Whether the point (x, y), in w's coordinates, is in w's shape and in its input shape, as
  // the server decides where the pointer is: an outline shaped to a ring has a hole, and a
  // window with an empty input shape (the picking outline) is never under the pointer.
  bool TakesPointerAt(xcb_window_t w, int x, int y) const;

  std::u16string Title(xcb_window_t w) const;

  std::u16string ClassOf(xcb_window_t w) const;

  // The _NET_WM_PID of several windows, their requests sent together; nullopt where a window
  // has none.
  std::vector<std::optional<int>> Pids(const std::vector<xcb_window_t>& windows) const;

  // Acting on windows (x11_window_actions.cpp).

  bool SpeaksDelete(xcb_window_t w) const;

  xcb_atom_t wm_state_ = 0, net_wm_name_ = 0, utf8_string_ = 0, wm_protocols_ = 0, wm_delete_ = 0,
             net_close_ = 0, net_wm_state_ = 0, max_vert_ = 0, max_horz_ = 0, state_above_ = 0,
             wm_change_state_ = 0, net_wm_check_ = 0, net_wm_pid_ = 0;

 private:
  xcb_connection_t* c_;
  xcb_screen_t* screen_;
  xcb_window_t root_;
};

}  // namespace quillan::platform
