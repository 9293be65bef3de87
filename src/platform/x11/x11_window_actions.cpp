// Acting on windows on X11: stacking, showing and hiding, closing, and setting titles. A
// client's state is asked of the window manager, as the ICCCM and the EWMH describe.
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstring>

#include "platform/x11/x11_window_system.h"
#include "platform/x11/x11_window_system_impl.h"
#include "text/vb_string.h"

namespace quillan::platform {

using wintools::Hwnd;

bool X11WindowSystem::Impl::SpeaksDelete(xcb_window_t w) const {
  auto value = Property(w, wm_protocols_, XCB_ATOM_ATOM);
  if (!value) return false;
  for (std::size_t i = 0; i + 4 <= value->size(); i += 4) {
    xcb_atom_t atom = 0;
    std::memcpy(&atom, value->data() + i, 4);
    if (atom == wm_delete_) return true;
  }
  return false;
}

bool X11WindowSystem::SetWindowPos(Hwnd hwnd, Hwnd insert_after, int, int, int, int,
                                   std::uint32_t) {
  const auto w = static_cast<xcb_window_t>(hwnd);
  if (!impl_->Exists(w)) return false;
  if (insert_after != wintools::kHwndTopmost && insert_after != wintools::kHwndNoTopmost) {
    return true;
  }
  // _NET_WM_STATE: 1 adds the state, 0 removes it.
  return impl_->MessageToRoot(w, impl_->net_wm_state_,
                              insert_after == wintools::kHwndTopmost ? 1 : 0, impl_->state_above_);
}

bool X11WindowSystem::ShowWindow(Hwnd hwnd, int cmd) {
  const auto w = static_cast<xcb_window_t>(hwnd);
  if (!impl_->Exists(w)) return false;
  xcb_connection_t* c = impl_->c();
  const bool client = impl_->IsClient(w);
  switch (cmd) {
    case wintools::kSwHide: {
      if (!impl_->Checked(xcb_unmap_window_checked(c, w))) return false;
      if (!client) return true;
      // Withdrawing a client, as the ICCCM asks: the unmap, then a synthetic UnmapNotify.
      xcb_unmap_notify_event_t event{};
      event.response_type = XCB_UNMAP_NOTIFY;
      event.event = impl_->root();
      event.window = w;
      return impl_->Checked(xcb_send_event_checked(
          c, 0, impl_->root(),
          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
          reinterpret_cast<const char*>(&event)));
    }
    case wintools::kSwRestore:
      if (client && impl_->WindowManagerRuns()) {
        impl_->MessageToRoot(w, impl_->net_wm_state_, 0, impl_->max_vert_, impl_->max_horz_);
      }
      [[fallthrough]];
    case wintools::kSwShow:
      return impl_->Checked(xcb_map_window_checked(c, w));
    case wintools::kSwMinimize:
      if (!client || !impl_->WindowManagerRuns()) return false;
      return impl_->MessageToRoot(w, impl_->wm_change_state_, XCB_ICCCM_WM_STATE_ICONIC);
    case wintools::kSwMaximize:
      if (!client || !impl_->WindowManagerRuns()) return false;
      return impl_->MessageToRoot(w, impl_->net_wm_state_, 1, impl_->max_vert_, impl_->max_horz_);
    default:
      return false;
  }
}

bool X11WindowSystem::EnableWindow(Hwnd, bool) { return false; }

bool X11WindowSystem::PostClose(Hwnd hwnd) {
  const auto w = static_cast<xcb_window_t>(hwnd);
  if (!impl_->Exists(w)) return false;
  if (impl_->SpeaksDelete(w)) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = impl_->wm_protocols_;
    event.data.data32[0] = impl_->wm_delete_;
    event.data.data32[1] = XCB_CURRENT_TIME;
    return impl_->Checked(xcb_send_event_checked(impl_->c(), 0, w, XCB_EVENT_MASK_NO_EVENT,
                                                 reinterpret_cast<const char*>(&event)));
  }
  // Never destroy or kill a client: without the protocol, ask the window manager.
  if (!impl_->WindowManagerRuns()) return false;
  return impl_->MessageToRoot(w, impl_->net_close_, XCB_CURRENT_TIME, 2);
}

bool X11WindowSystem::SendSetText(Hwnd hwnd, std::u16string_view title) {
  const auto w = static_cast<xcb_window_t>(hwnd);
  if (!impl_->Exists(w)) return false;
  const std::string utf8 = text::ToUtf8(title);
  const bool latin1 = std::all_of(title.begin(), title.end(), [](char16_t c) { return c < 0x100; });
  std::string wm_name;
  if (latin1) {
    for (char16_t ch : title) wm_name.push_back(static_cast<char>(ch));
  }
  xcb_connection_t* c = impl_->c();
  const bool net = impl_->Checked(xcb_change_property_checked(
      c, XCB_PROP_MODE_REPLACE, w, impl_->net_wm_name_, impl_->utf8_string_, 8,
      static_cast<std::uint32_t>(utf8.size()), utf8.data()));
  const std::string& legacy = latin1 ? wm_name : utf8;
  const bool old = impl_->Checked(
      xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME,
                                  latin1 ? xcb_atom_t{XCB_ATOM_STRING} : impl_->utf8_string_, 8,
                                  static_cast<std::uint32_t>(legacy.size()), legacy.data()));
  return net && old;
}

bool X11WindowSystem::SendUndo(Hwnd) { return false; }

}  // namespace quillan::platform
