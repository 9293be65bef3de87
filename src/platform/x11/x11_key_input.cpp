// Readies the keyboard input of a Qt window on X11 before the user's first key.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/host.h"

namespace quillan::platform {

namespace {

struct Disconnect {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

// A keycode the keyboard mapping gives no symbol: a press of it types nothing and matches
// no shortcut. 0 when every keycode has one.
xcb_keycode_t KeycodeWithoutSymbol(xcb_connection_t* c) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  auto* reply = xcb_get_keyboard_mapping_reply(
      c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)),
      nullptr);
  if (reply == nullptr) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
  const int per = reply->keysyms_per_keycode;
  const int held = xcb_get_keyboard_mapping_keysyms_length(reply);
  xcb_keycode_t found = 0;
  for (int k = 0; k < count && found == 0 && (k + 1) * per <= held; ++k) {
    bool empty = true;
    for (int j = 0; j < per; ++j) empty = empty && syms[k * per + j] == 0;
    if (empty) found = static_cast<xcb_keycode_t>(setup->min_keycode + k);
  }
  std::free(reply);
  return found;
}

// The server's time now: what a property change on a window of our own reports.
xcb_timestamp_t ServerTime(xcb_connection_t* c, const xcb_screen_t& screen) {
  const xcb_window_t probe = xcb_generate_id(c);
  const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, 0, probe, screen.root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
  xcb_change_property(c, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                      nullptr);
  xcb_flush(c);
  xcb_timestamp_t time = 0;
  while (time == 0) {
    xcb_generic_event_t* event = xcb_wait_for_event(c);
    if (event == nullptr) break;
    const int type = event->response_type & 0x7F;
    if (type == XCB_PROPERTY_NOTIFY) {
      time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
    }
    std::free(event);
    if (type == 0) break;  // an error: the window or the change was refused
  }
  xcb_destroy_window(c, probe);
  return time;
}

}  // namespace

void PrimeKeyInput(std::uint64_t window_id) {
  // The input method reads the locale's table of compose sequences at the first key press it
  // sees, a few milliseconds that would hold up the user's first key. It is handed a press of
  // a key without a symbol instead, sent to the window by this process itself.
  int screen_number = 0;
  std::unique_ptr<xcb_connection_t, Disconnect> c(xcb_connect(nullptr, &screen_number));
  if (xcb_connection_has_error(c.get()) != 0) return;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c.get()));
  for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return;
  const xcb_keycode_t keycode = KeycodeWithoutSymbol(c.get());
  if (keycode == 0) return;
  const xcb_timestamp_t time = ServerTime(c.get(), *screens.data);
  if (time == 0) return;
  xcb_key_press_event_t press{};
  press.response_type = XCB_KEY_PRESS;
  press.detail = keycode;
  press.time = time;
  press.root = screens.data->root;
  press.event = static_cast<xcb_window_t>(window_id);
  press.child = XCB_NONE;
  press.same_screen = 1;
  // With no event mask the event goes to the client that made the window.
  xcb_send_event(c.get(), 0, press.event, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&press));
  // Waits for the server to have carried out the request: one cut off by the connection's
  // end may be dropped.
  std::free(xcb_get_input_focus_reply(c.get(), xcb_get_input_focus(c.get()), nullptr));
}

}  // namespace quillan::platform
