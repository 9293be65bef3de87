// The X11 backend's connection: the display, the atoms, the requests every part of it uses,
// what it can and cannot do, and its place among the backends. Reading windows is in
// x11_window_reading.cpp, acting on them in x11_window_actions.cpp.
#include "platform/x11/x11_window_system.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/x11/x11_window_system_impl.h"
#include "text/vb_string.h"

namespace quillan::platform {

using x11::Get;

X11WindowSystem::Impl::Impl(xcb_connection_t* c, xcb_screen_t* screen)
    : c_(c), screen_(screen), root_(screen->root) {
  // Asked now, answered by the time a search needs it.
  xcb_prefetch_extension_data(c_, &xcb_shape_id);
  const char* names[] = {"WM_STATE",
                         "_NET_WM_NAME",
                         "UTF8_STRING",
                         "WM_PROTOCOLS",
                         "WM_DELETE_WINDOW",
                         "_NET_CLOSE_WINDOW",
                         "_NET_WM_STATE",
                         "_NET_WM_STATE_MAXIMIZED_VERT",
                         "_NET_WM_STATE_MAXIMIZED_HORZ",
                         "_NET_WM_STATE_ABOVE",
                         "WM_CHANGE_STATE",
                         "_NET_SUPPORTING_WM_CHECK",
                         "_NET_WM_PID"};
  xcb_intern_atom_cookie_t cookies[std::size(names)];
  for (std::size_t i = 0; i < std::size(names); ++i) {
    cookies[i] =
        xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
  }
  xcb_atom_t* atoms[] = {&wm_state_,  &net_wm_name_, &utf8_string_,     &wm_protocols_,
                         &wm_delete_, &net_close_,   &net_wm_state_,    &max_vert_,
                         &max_horz_,  &state_above_, &wm_change_state_, &net_wm_check_,
                         &net_wm_pid_};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    auto reply = Get<xcb_intern_atom_reply_t>(c_, cookies[i], xcb_intern_atom_reply);
    *atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }
}

X11WindowSystem::Impl::~Impl() { xcb_disconnect(c_); }

std::optional<X11WindowSystem::Impl::Tree> X11WindowSystem::Impl::QueryTree(xcb_window_t w) const {
  auto reply = Get<xcb_query_tree_reply_t>(c_, xcb_query_tree(c_, w), xcb_query_tree_reply);
  if (!reply) return std::nullopt;
  Tree tree;
  tree.parent = reply->parent;
  const xcb_window_t* children = xcb_query_tree_children(reply.p);
  tree.children.assign(children, children + xcb_query_tree_children_length(reply.p));
  return tree;
}

bool X11WindowSystem::Impl::Exists(xcb_window_t w) const {
  if (w == 0) return false;
  return static_cast<bool>(Get<xcb_get_window_attributes_reply_t>(
      c_, xcb_get_window_attributes(c_, w), xcb_get_window_attributes_reply));
}

std::optional<std::string> X11WindowSystem::Impl::Property(xcb_window_t w, xcb_atom_t property,
                                                           xcb_atom_t type,
                                                           xcb_atom_t* actual_type) const {
  if (w == 0 || property == XCB_ATOM_NONE) return std::nullopt;
  auto reply = Get<xcb_get_property_reply_t>(
      c_, xcb_get_property(c_, 0, w, property, type, 0, 1 << 16), xcb_get_property_reply);
  if (!reply || reply->type == XCB_ATOM_NONE) return std::nullopt;
  if (actual_type != nullptr) *actual_type = reply->type;
  const auto* data = static_cast<const char*>(xcb_get_property_value(reply.p));
  const int length = xcb_get_property_value_length(reply.p);
  return std::string(data, static_cast<std::size_t>(std::max(length, 0)));
}

bool X11WindowSystem::Impl::WindowManagerRuns() const {
  auto value = Property(root_, net_wm_check_, XCB_ATOM_WINDOW);
  if (!value || value->size() < 4) return false;
  xcb_window_t check = 0;
  std::memcpy(&check, value->data(), 4);
  return Exists(check);
}

bool X11WindowSystem::Impl::MessageToRoot(xcb_window_t w, xcb_atom_t type, std::uint32_t d0,
                                          std::uint32_t d1, std::uint32_t d2) const {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = w;
  event.type = type;
  event.data.data32[0] = d0;
  event.data.data32[1] = d1;
  event.data.data32[2] = d2;
  event.data.data32[3] = 1;  // from a normal application
  return Checked(xcb_send_event_checked(
      c_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
      reinterpret_cast<const char*>(&event)));
}

bool X11WindowSystem::Impl::Checked(xcb_void_cookie_t cookie) const {
  xcb_generic_error_t* error = xcb_request_check(c_, cookie);
  std::free(error);
  return error == nullptr;
}

xcb_connection_t* ConnectToDisplay(const std::string& display, int* screen_number) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    xcb_connection_t* c = xcb_connect(display.empty() ? nullptr : display.c_str(), screen_number);
    if (xcb_connection_has_error(c) == 0) return c;
    xcb_disconnect(c);
  }
  return nullptr;
}

std::unique_ptr<X11WindowSystem> X11WindowSystem::Connect(const std::string& display,
                                                          std::u16string& reason, bool xwayland) {
  int screen_number = 0;
  xcb_connection_t* c = ConnectToDisplay(display, &screen_number);
  if (c == nullptr) {
    const char* shown = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    reason = u"The X11 display \"" + text::FromUtf8(shown != nullptr ? shown : "") +
             u"\" does not answer.";
    return nullptr;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen_number && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem == 0) {
    xcb_disconnect(c);
    reason = u"The X11 display has no screen.";
    return nullptr;
  }
  return std::unique_ptr<X11WindowSystem>(
      new X11WindowSystem(std::make_unique<Impl>(c, it.data), xwayland));
}

X11WindowSystem::X11WindowSystem(std::unique_ptr<Impl> impl, bool xwayland)
    : impl_(std::move(impl)), xwayland_(xwayland) {}
X11WindowSystem::~X11WindowSystem() = default;

bool X11WindowSystem::HasWindowManager() const { return impl_->WindowManagerRuns(); }

std::u16string X11WindowSystem::CannotDo(wintools::Capability what) const {
  switch (what) {
    case wintools::Capability::kReadWindows:
      if (xwayland_) {
        return u"This is a Wayland session: only the windows of X11 programs can be seen here.";
      }
      return {};
    case wintools::Capability::kReadScreen:
      if (xwayland_) return u"This is a Wayland session: the screen cannot be read here.";
      return {};
    case wintools::Capability::kEnableDisable:
      return u"X11 has no way to enable or disable another program's window.";
    case wintools::Capability::kMinimizeMaximize:
      if (!HasWindowManager()) {
        return u"Minimizing and maximizing need a window manager, and none runs.";
      }
      return {};
    default:
      return {};
  }
}

}  // namespace quillan::platform
