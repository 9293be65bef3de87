#include "platform/x11/x11_pick_highlight.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/x11/x11_window_system.h"

namespace quillan::platform {

namespace {

constexpr int kTile = 8;  // the stripes' period, in pixels

std::uint32_t Colour(xcb_connection_t* c, const xcb_screen_t& screen, std::uint16_t r,
                     std::uint16_t g, std::uint16_t b, std::uint32_t fallback) {
  auto* reply =
      xcb_alloc_color_reply(c, xcb_alloc_color(c, screen.default_colormap, r, g, b), nullptr);
  const std::uint32_t pixel = reply != nullptr ? reply->pixel : fallback;
  std::free(reply);
  return pixel;
}

std::int16_t Coordinate(std::int64_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

std::uint16_t Length(std::int64_t v) {
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 1, 32767));
}

}  // namespace

X11PickHighlight::X11PickHighlight(std::string display) : display_(std::move(display)) {}

X11PickHighlight::~X11PickHighlight() {
  if (c_ == nullptr) return;
  if (window_ != 0) xcb_destroy_window(c_, window_);
  xcb_disconnect(c_);
}

bool X11PickHighlight::Ready() {
  if (tried_) return window_ != 0 && xcb_connection_has_error(c_) == 0;
  tried_ = true;
  int screen_number = 0;
  c_ = ConnectToDisplay(display_, &screen_number);
  if (c_ == nullptr) return false;
  // Without the Shape extension the outline would cover the window it shows, and take the
  // pointer's place under WindowFromPoint: better none.
  const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c_, &xcb_shape_id);
  if (shape == nullptr || shape->present == 0) return false;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
  for (int i = 0; i < screen_number && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem == 0) return false;
  const xcb_screen_t& screen = *it.data;

  // The tile: diagonal stripes of red and white, which the server paints the window with by
  // itself whenever it is exposed; nothing here has to answer events.
  const std::uint32_t red = Colour(c_, screen, 0xE000, 0x1000, 0x1000, screen.black_pixel);
  const xcb_pixmap_t tile = xcb_generate_id(c_);
  xcb_create_pixmap(c_, screen.root_depth, tile, screen.root, kTile, kTile);
  const xcb_gcontext_t gc = xcb_generate_id(c_);
  xcb_create_gc(c_, gc, tile, XCB_GC_FOREGROUND, &screen.white_pixel);
  const xcb_rectangle_t all{0, 0, kTile, kTile};
  xcb_poly_fill_rectangle(c_, tile, gc, 1, &all);
  std::vector<xcb_point_t> stripes;
  for (std::int16_t y = 0; y < kTile; ++y) {
    for (std::int16_t x = 0; x < kTile; ++x) {
      if ((x + y) % kTile < kTile / 2) stripes.push_back({x, y});
    }
  }
  xcb_change_gc(c_, gc, XCB_GC_FOREGROUND, &red);
  xcb_poly_point(c_, XCB_COORD_MODE_ORIGIN, tile, gc, static_cast<std::uint32_t>(stripes.size()),
                 stripes.data());
  xcb_free_gc(c_, gc);

  // Override-redirect: no window manager frames, places or focuses it.
  window_ = xcb_generate_id(c_);
  const std::uint32_t values[] = {tile, 1, 1};
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen.root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual,
                    XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_SAVE_UNDER, values);
  xcb_free_pixmap(c_, tile);
  const char wm_class[] = "quillan\0QuillanPickOutline";
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      sizeof wm_class, wm_class);
  const char* name = "Quillan pick outline";
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(std::strlen(name)), name);
  // An empty input shape: the pointer is never over the outline.
  xcb_shape_rectangles(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                       window_, 0, 0, 0, nullptr);
  return true;
}

void X11PickHighlight::Show(wintools::ScreenRect r) {
  if (r.empty() || !Ready()) return;
  const std::int16_t x = Coordinate(r.left), y = Coordinate(r.top);
  const std::uint16_t w = Length(std::int64_t{r.right} - r.left);
  const std::uint16_t h = Length(std::int64_t{r.bottom} - r.top);
  const std::uint32_t geometry[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), w,
                                    h, XCB_STACK_MODE_ABOVE};
  xcb_configure_window(c_, window_,
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                           XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                       geometry);
  // The ring: top, bottom, left and right; a window too small for a hole is covered whole.
  const std::uint16_t t = kThickness;
  std::vector<xcb_rectangle_t> ring;
  if (w <= 2 * t || h <= 2 * t) {
    ring.push_back({0, 0, w, h});
  } else {
    const auto inner = static_cast<std::uint16_t>(h - 2 * t);
    ring.push_back({0, 0, w, t});
    ring.push_back({0, static_cast<std::int16_t>(h - t), w, t});
    ring.push_back({0, static_cast<std::int16_t>(t), t, inner});
    ring.push_back({static_cast<std::int16_t>(w - t), static_cast<std::int16_t>(t), t, inner});
  }
  xcb_shape_rectangles(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                       window_, 0, 0, static_cast<std::uint32_t>(ring.size()), ring.data());
  if (!mapped_) xcb_map_window(c_, window_);
  mapped_ = true;
  // Errors of these requests (a server short of memory) come back as events nobody reads.
  while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) std::free(event);
  xcb_flush(c_);
}

void X11PickHighlight::Hide() {
  if (!mapped_ || c_ == nullptr) return;
  mapped_ = false;
  xcb_unmap_window(c_, window_);
  xcb_flush(c_);
}

std::unique_ptr<wintools::PickHighlight> MakePickHighlight(const SessionEnvironment& env) {
  if (env.display.empty()) return std::make_unique<wintools::NoPickHighlight>();
  return std::make_unique<X11PickHighlight>(env.display);
}

}  // namespace quillan::platform
