// Reading windows and the screen on X11: the window tree, titles and classes, the window under
// a point, and the colour of a pixel.
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/x11/x11_window_system.h"
#include "platform/x11/x11_window_system_impl.h"
#include "text/vb_string.h"

namespace quillan::platform {

namespace {

using wintools::Hwnd;
using x11::Get;
using x11::Latin1;

// A window tree deeper than this, or a search longer, is not a real one.
constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxWindows = 100000;
// How deep below a top-level window a window manager's frame may hold the client.
constexpr std::size_t kFrameDepth = 4;

std::u16string Truncated(std::u16string s, int max_count) {
  if (max_count <= 0) return {};
  if (s.size() > static_cast<std::size_t>(max_count - 1))
    s.resize(static_cast<std::size_t>(max_count - 1));
  return s;
}

int CountTrailingZeros(std::uint32_t mask) {
  int n = 0;
  while (mask != 0 && (mask & 1u) == 0) {
    mask >>= 1;
    ++n;
  }
  return n;
}

// One channel of a pixel scaled to 0..255.
std::uint32_t Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const std::uint32_t max = mask >> CountTrailingZeros(mask);
  const std::uint32_t value = (pixel & mask) >> CountTrailingZeros(mask);
  return max == 0 ? 0 : (value * 255 + max / 2) / max;
}

}  // namespace

xcb_window_t X11WindowSystem::Impl::ClientOf(xcb_window_t top) const {
  {
    // Both properties in one round trip.
    const auto state = xcb_get_property(c_, 0, top, wm_state_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    const auto cls = xcb_get_property(c_, 0, top, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 0);
    auto state_reply = Get<xcb_get_property_reply_t>(c_, state, xcb_get_property_reply);
    auto class_reply = Get<xcb_get_property_reply_t>(c_, cls, xcb_get_property_reply);
    if ((state_reply && state_reply->type != XCB_ATOM_NONE) ||
        (class_reply && class_reply->type != XCB_ATOM_NONE)) {
      return top;
    }
  }
  std::vector<xcb_window_t> level{top};
  for (std::size_t depth = 0; depth < kFrameDepth && !level.empty(); ++depth) {
    std::vector<xcb_window_t> next;
    for (xcb_window_t w : level) {
      if (auto tree = QueryTree(w))
        next.insert(next.end(), tree->children.begin(), tree->children.end());
      if (next.size() > kMaxWindows) break;
    }
    // One round trip for the whole level.
    std::vector<xcb_get_property_cookie_t> cookies;
    for (xcb_window_t w : next) {
      cookies.push_back(xcb_get_property(c_, 0, w, wm_state_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0));
    }
    xcb_window_t found = 0;
    for (std::size_t i = 0; i < next.size(); ++i) {
      auto reply = Get<xcb_get_property_reply_t>(c_, cookies[i], xcb_get_property_reply);
      if (found == 0 && reply && reply->type != XCB_ATOM_NONE) found = next[i];
    }
    if (found != 0) return found;
    level = std::move(next);
  }
  return top;
}

std::vector<std::u16string> X11WindowSystem::Impl::Classes(
    const std::vector<xcb_window_t>& windows) const {
  std::vector<xcb_get_property_cookie_t> cookies;
  for (xcb_window_t w : windows) {
    cookies.push_back(xcb_get_property(c_, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 1 << 12));
  }
  std::vector<std::u16string> classes;
  for (auto cookie : cookies) {
    auto reply = Get<xcb_get_property_reply_t>(c_, cookie, xcb_get_property_reply);
    std::string value;
    if (reply && reply->type != XCB_ATOM_NONE) {
      value.assign(static_cast<const char*>(xcb_get_property_value(reply.p)),
                   static_cast<std::size_t>(std::max(xcb_get_property_value_length(reply.p), 0)));
    }
    classes.push_back(ClassHalf(value));
  }
  return classes;
}

std::u16string X11WindowSystem::Impl::ClassHalf(const std::string& value) {
  // "instance\0class\0": the class half.
  const std::size_t nul = value.find('\0');
  if (nul == std::string::npos) return {};
  std::string cls = value.substr(nul + 1);
  if (const std::size_t end = cls.find('\0'); end != std::string::npos) cls.resize(end);
  return Latin1(cls);
}

std::optional<X11WindowSystem::Impl::Placement> X11WindowSystem::Impl::Place(xcb_window_t w) const {
  if (w == 0) return std::nullopt;
  const auto state_cookie = xcb_get_property(c_, 0, w, wm_state_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
  const auto tree_cookie = xcb_query_tree(c_, w);
  const auto owner_cookie =
      xcb_get_property(c_, 0, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1);
  auto state = Get<xcb_get_property_reply_t>(c_, state_cookie, xcb_get_property_reply);
  auto tree = Get<xcb_query_tree_reply_t>(c_, tree_cookie, xcb_query_tree_reply);
  auto owner = Get<xcb_get_property_reply_t>(c_, owner_cookie, xcb_get_property_reply);
  if (!tree) return std::nullopt;
  Placement placement;
  placement.parent = tree->parent;
  placement.client = (state && state->type != XCB_ATOM_NONE) || tree->parent == root_;
  if (owner && owner->type != XCB_ATOM_NONE && xcb_get_property_value_length(owner.p) >= 4) {
    std::memcpy(&placement.owner, xcb_get_property_value(owner.p), 4);
  }
  return placement;
}

bool X11WindowSystem::Impl::IsClient(xcb_window_t w) const {
  const auto placement = Place(w);
  return placement && placement->client;
}

std::optional<std::vector<xcb_window_t>> X11WindowSystem::Impl::SearchedChildren(
    Hwnd parent) const {
  if (parent == 0) return TopLevelClients();
  auto tree = QueryTree(static_cast<xcb_window_t>(parent));
  if (!tree) return std::nullopt;
  return std::move(tree->children);
}

std::vector<Hwnd> X11WindowSystem::Impl::OfClass(const std::vector<xcb_window_t>& windows,
                                                 std::u16string_view class_name,
                                                 bool first_only) const {
  std::vector<Hwnd> found;
  const std::u16string wanted = text::FoldCase(class_name);
  const std::vector<std::u16string> classes = Classes(windows);
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (text::FoldCase(classes[i]) != wanted) continue;
    found.push_back(static_cast<Hwnd>(windows[i]));
    if (first_only) break;
  }
  return found;
}

std::vector<xcb_window_t> X11WindowSystem::Impl::TopLevelClients() const {
  std::vector<xcb_window_t> clients;
  auto tree = QueryTree(root_);
  if (!tree) return clients;
  for (auto it = tree->children.rbegin(); it != tree->children.rend(); ++it) {
    const xcb_window_t client = ClientOf(*it);
    if (std::find(clients.begin(), clients.end(), client) == clients.end())
      clients.push_back(client);
  }
  return clients;
}

std::vector<std::optional<X11WindowSystem::Impl::Box>> X11WindowSystem::Impl::Boxes(
    const std::vector<xcb_window_t>& windows) const {
  std::vector<xcb_get_geometry_cookie_t> geometry;
  std::vector<xcb_get_window_attributes_cookie_t> attributes;
  for (xcb_window_t w : windows) {
    geometry.push_back(xcb_get_geometry(c_, w));
    attributes.push_back(xcb_get_window_attributes(c_, w));
  }
  std::vector<std::optional<Box>> boxes;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    auto g = Get<xcb_get_geometry_reply_t>(c_, geometry[i], xcb_get_geometry_reply);
    auto a =
        Get<xcb_get_window_attributes_reply_t>(c_, attributes[i], xcb_get_window_attributes_reply);
    if (!g || !a) {
      boxes.emplace_back();
      continue;
    }
    boxes.push_back(Box{g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width,
                        g->border_width, a->map_state == XCB_MAP_STATE_VIEWABLE,
                        a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT});
  }
  return boxes;
}

xcb_window_t X11WindowSystem::Impl::ChildAt(xcb_window_t w, int& x, int& y) const {
  auto tree = QueryTree(w);
  if (!tree || tree->children.empty()) return 0;
  std::vector<xcb_window_t> top_down(tree->children.rbegin(), tree->children.rend());
  const auto boxes = Boxes(top_down);
  for (std::size_t i = 0; i < top_down.size(); ++i) {
    const auto& b = boxes[i];
    if (!b || !b->viewable || !b->input_output) continue;
    if (x >= b->x && x < b->x + b->width && y >= b->y && y < b->y + b->height &&
        TakesPointerAt(top_down[i], x - b->x - b->border, y - b->y - b->border)) {
      x -= b->x;
      y -= b->y;
      return top_down[i];
    }
  }
  return 0;
}

bool X11WindowSystem::Impl::TakesPointerAt(xcb_window_t w, int x, int y) const {
  const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c_, &xcb_shape_id);
  if (shape == nullptr || shape->present == 0) return true;
  // Both asked at once; a window without a shape answers its whole box.
  const xcb_shape_get_rectangles_cookie_t cookies[] = {
      xcb_shape_get_rectangles(c_, w, XCB_SHAPE_SK_BOUNDING),
      xcb_shape_get_rectangles(c_, w, XCB_SHAPE_SK_INPUT)};
  bool takes = true;
  for (const auto& cookie : cookies) {
    auto reply = Get<xcb_shape_get_rectangles_reply_t>(c_, cookie, xcb_shape_get_rectangles_reply);
    if (!reply) continue;
    const xcb_rectangle_t* r = xcb_shape_get_rectangles_rectangles(reply.p);
    const int n = xcb_shape_get_rectangles_rectangles_length(reply.p);
    bool inside = false;
    for (int i = 0; i < n && !inside; ++i) {
      inside = x >= r[i].x && x < r[i].x + r[i].width && y >= r[i].y && y < r[i].y + r[i].height;
    }
    takes = takes && inside;
  }
  return takes;
}

std::u16string X11WindowSystem::Impl::Title(xcb_window_t w) const {
  if (w == 0) return {};
  // _NET_WM_NAME, else WM_NAME: both asked in one round trip.
  const auto net = xcb_get_property(c_, 0, w, net_wm_name_, utf8_string_, 0, 1 << 14);
  const auto old =
      xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 14);
  auto net_reply = Get<xcb_get_property_reply_t>(c_, net, xcb_get_property_reply);
  auto old_reply = Get<xcb_get_property_reply_t>(c_, old, xcb_get_property_reply);
  for (const auto* reply : {net_reply.p, old_reply.p}) {
    if (reply == nullptr || reply->type == XCB_ATOM_NONE) continue;
    const std::string_view value(
        static_cast<const char*>(xcb_get_property_value(reply)),
        static_cast<std::size_t>(std::max(xcb_get_property_value_length(reply), 0)));
    return reply->type == utf8_string_ ? text::FromUtf8(value) : Latin1(value);
  }
  return {};
}

std::u16string X11WindowSystem::Impl::ClassOf(xcb_window_t w) const {
  auto value = Property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
  return value ? ClassHalf(*value) : std::u16string();
}

std::vector<std::optional<int>> X11WindowSystem::Impl::Pids(
    const std::vector<xcb_window_t>& windows) const {
  std::vector<xcb_get_property_cookie_t> cookies;
  for (xcb_window_t w : windows) {
    cookies.push_back(xcb_get_property(c_, 0, w, net_wm_pid_, XCB_ATOM_CARDINAL, 0, 1));
  }
  std::vector<std::optional<int>> pids;
  for (auto cookie : cookies) {
    auto reply = Get<xcb_get_property_reply_t>(c_, cookie, xcb_get_property_reply);
    std::uint32_t pid = 0;
    if (reply && reply->type == XCB_ATOM_CARDINAL && reply->format == 32 &&
        xcb_get_property_value_length(reply.p) >= 4) {
      std::memcpy(&pid, xcb_get_property_value(reply.p), 4);
    }
    // Process ids are positive and fit an int; anything else is no pid.
    if (pid > 0 && pid <= 0x7FFFFFFF) {
      pids.emplace_back(static_cast<int>(pid));
    } else {
      pids.emplace_back();
    }
  }
  return pids;
}

std::optional<int> X11WindowSystem::ClientPid(Hwnd hwnd) const {
  // Up from the window to the client it is in.
  auto w = static_cast<xcb_window_t>(hwnd);
  for (std::size_t depth = 0; w != 0 && depth < kMaxDepth; ++depth) {
    const auto placement = impl_->Place(w);
    if (!placement) return std::nullopt;
    if (placement->client) return impl_->Pids({w}).front();
    if (placement->parent == impl_->root()) return std::nullopt;
    w = placement->parent;
  }
  return std::nullopt;
}

std::vector<int> X11WindowSystem::ClientPids() const {
  std::vector<int> pids;
  for (const auto& pid : impl_->Pids(impl_->TopLevelClients())) {
    if (pid && std::find(pids.begin(), pids.end(), *pid) == pids.end()) pids.push_back(*pid);
  }
  return pids;
}

bool X11WindowSystem::IsWindow(Hwnd hwnd) { return impl_->Exists(static_cast<xcb_window_t>(hwnd)); }

wintools::ScreenRect X11WindowSystem::GetWindowRect(Hwnd hwnd) {
  xcb_connection_t* c = impl_->c();
  const auto w = static_cast<xcb_window_t>(hwnd);
  if (w == 0) return {};
  // Both asked at once: the size, and where the window's corner is on the root window.
  const auto geometry_cookie = xcb_get_geometry(c, w);
  const auto origin_cookie = xcb_translate_coordinates(c, w, impl_->root(), 0, 0);
  auto geometry = Get<xcb_get_geometry_reply_t>(c, geometry_cookie, xcb_get_geometry_reply);
  auto origin =
      Get<xcb_translate_coordinates_reply_t>(c, origin_cookie, xcb_translate_coordinates_reply);
  if (!geometry || !origin) return {};
  return {origin->dst_x, origin->dst_y, origin->dst_x + geometry->width,
          origin->dst_y + geometry->height};
}

wintools::ScreenPoint X11WindowSystem::GetCursorPos() {
  auto reply = Get<xcb_query_pointer_reply_t>(
      impl_->c(), xcb_query_pointer(impl_->c(), impl_->root()), xcb_query_pointer_reply);
  if (!reply) return {};
  return {reply->root_x, reply->root_y};
}

Hwnd X11WindowSystem::WindowFromPoint(wintools::ScreenPoint p) {
  // The top-level window under the point, its client, then the deepest viewable InputOutput
  // subwindow under the point. Each step down asks the server which child holds the point
  // (TranslateCoordinates) and, in the same round trip, what that child is.
  xcb_connection_t* c = impl_->c();
  const xcb_window_t root = impl_->root();
  auto translate = [&](xcb_window_t to) {
    return xcb_translate_coordinates(c, root, to, static_cast<std::int16_t>(p.x),
                                     static_cast<std::int16_t>(p.y));
  };
  auto descend = [&](xcb_window_t w, bool top_level_only) -> xcb_window_t {
    auto first =
        Get<xcb_translate_coordinates_reply_t>(c, translate(w), xcb_translate_coordinates_reply);
    if (!first) return 0;
    xcb_window_t child = first->child;
    int x = first->dst_x, y = first->dst_y;
    for (std::size_t depth = 0; child != 0 && depth < kMaxDepth; ++depth) {
      const auto attributes_cookie = xcb_get_window_attributes(c, child);
      const auto next_cookie = translate(child);
      auto attributes = Get<xcb_get_window_attributes_reply_t>(c, attributes_cookie,
                                                               xcb_get_window_attributes_reply);
      auto next =
          Get<xcb_translate_coordinates_reply_t>(c, next_cookie, xcb_translate_coordinates_reply);
      if (!attributes || !next) return w;
      if (attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT ||
          attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        // An InputOnly window covers the point: the topmost InputOutput child under it.
        child = impl_->ChildAt(w, x, y);
        if (child == 0) return w;
        auto again = Get<xcb_translate_coordinates_reply_t>(c, translate(child),
                                                            xcb_translate_coordinates_reply);
        if (!again) return w;
        w = child;
        child = again->child;
        x = again->dst_x;
        y = again->dst_y;
      } else {
        w = child;
        child = next->child;
        x = next->dst_x;
        y = next->dst_y;
      }
      if (top_level_only) return w;
    }
    return w;
  };
  const xcb_window_t top = descend(root, true);
  if (top == 0 || top == root) return 0;
  return static_cast<Hwnd>(descend(impl_->ClientOf(top), false));
}

std::u16string X11WindowSystem::GetWindowText(Hwnd hwnd, int max_count) {
  return Truncated(impl_->Title(static_cast<xcb_window_t>(hwnd)), max_count);
}

int X11WindowSystem::GetWindowTextLength(Hwnd hwnd) {
  return static_cast<int>(impl_->Title(static_cast<xcb_window_t>(hwnd)).size());
}

std::u16string X11WindowSystem::GetClassName(Hwnd hwnd, int max_count) {
  return Truncated(impl_->ClassOf(static_cast<xcb_window_t>(hwnd)), max_count);
}

Hwnd X11WindowSystem::GetParent(Hwnd hwnd) {
  // A client answers its owner; a subwindow, the window it is in.
  const auto placement = impl_->Place(static_cast<xcb_window_t>(hwnd));
  if (!placement) return 0;
  return static_cast<Hwnd>(placement->client ? placement->owner : placement->parent);
}

Hwnd X11WindowSystem::FindWindowEx(Hwnd parent, Hwnd child_after, std::u16string_view class_name) {
  auto children = impl_->SearchedChildren(parent);
  if (!children) return 0;
  auto start = children->begin();
  if (child_after != 0) {
    start = std::find(children->begin(), children->end(), static_cast<xcb_window_t>(child_after));
    if (start == children->end()) return 0;
    ++start;
  }
  const auto found = impl_->OfClass({start, children->end()}, class_name, true);
  return found.empty() ? 0 : found.front();
}

std::vector<Hwnd> X11WindowSystem::FindAllWindowsEx(Hwnd parent, std::u16string_view class_name) {
  auto children = impl_->SearchedChildren(parent);
  if (!children) return {};
  return impl_->OfClass(*children, class_name, false);
}

int X11WindowSystem::SendGetTextLength(Hwnd hwnd) { return GetWindowTextLength(hwnd); }

std::u16string X11WindowSystem::SendGetText(Hwnd hwnd, int max_count) {
  return GetWindowText(hwnd, max_count);
}

std::uint32_t X11WindowSystem::GetScreenPixel(wintools::ScreenPoint p) {
  return GetScreenPixels({p.x, p.y, p.x + 1, p.y + 1}).front();
}

std::vector<std::uint32_t> X11WindowSystem::GetScreenPixels(wintools::ScreenRect r) {
  std::vector<std::uint32_t> pixels;
  if (r.empty()) return pixels;
  const auto width = static_cast<std::size_t>(r.right - r.left);
  pixels.assign(width * static_cast<std::size_t>(r.bottom - r.top), wintools::kClrInvalid);
  const xcb_screen_t& screen = impl_->screen();
  // Only the part on the screen is read; the rest stays invalid.
  const wintools::ScreenRect on{std::max(r.left, 0), std::max(r.top, 0),
                                std::min<std::int32_t>(r.right, screen.width_in_pixels),
                                std::min<std::int32_t>(r.bottom, screen.height_in_pixels)};
  if (xwayland_ || on.empty()) return pixels;
  xcb_connection_t* c = impl_->c();
  auto image = Get<xcb_get_image_reply_t>(
      c,
      xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, impl_->root(), static_cast<std::int16_t>(on.left),
                    static_cast<std::int16_t>(on.top),
                    static_cast<std::uint16_t>(on.right - on.left),
                    static_cast<std::uint16_t>(on.bottom - on.top), 0xFFFFFFFF),
      xcb_get_image_reply);
  if (!image) return pixels;
  // The root visual's masks decode a pixel; the depth's pixmap format says how wide a pixel
  // and a row are in the image.
  const xcb_visualtype_t* visual = nullptr;
  for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem && !visual;
       xcb_depth_next(&depths)) {
    for (auto v = xcb_depth_visuals_iterator(depths.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == screen.root_visual) {
        visual = v.data;
        break;
      }
    }
  }
  int bits_per_pixel = 0, pad = 32;
  const xcb_setup_t* setup = xcb_get_setup(c);
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == image->depth) {
      bits_per_pixel = f.data->bits_per_pixel;
      pad = f.data->scanline_pad;
    }
  }
  if (visual == nullptr || bits_per_pixel < 8 || bits_per_pixel % 8 != 0) return pixels;
  const std::size_t bytes_per_pixel = static_cast<std::size_t>(bits_per_pixel) / 8;
  const auto columns = static_cast<std::size_t>(on.right - on.left);
  const auto rows = static_cast<std::size_t>(on.bottom - on.top);
  const std::size_t pad_bytes = static_cast<std::size_t>(pad) / 8;
  const std::size_t stride = (columns * bytes_per_pixel + pad_bytes - 1) / pad_bytes * pad_bytes;
  const auto length = static_cast<std::size_t>(xcb_get_image_data_length(image.p));
  if (length < stride * (rows - 1) + columns * bytes_per_pixel) return pixels;
  const std::uint8_t* data = xcb_get_image_data(image.p);
  const bool msb_first = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  for (std::size_t y = 0; y < rows; ++y) {
    for (std::size_t x = 0; x < columns; ++x) {
      const std::uint8_t* at = data + y * stride + x * bytes_per_pixel;
      std::uint32_t pixel = 0;
      for (std::size_t b = 0; b < std::min<std::size_t>(bytes_per_pixel, 4); ++b) {
        const std::size_t shift = msb_first ? (bytes_per_pixel - 1 - b) * 8 : b * 8;
        pixel |= static_cast<std::uint32_t>(at[b]) << shift;
      }
      const std::uint32_t red = Channel(pixel, visual->red_mask);
      const std::uint32_t green = Channel(pixel, visual->green_mask);
      const std::uint32_t blue = Channel(pixel, visual->blue_mask);
      const std::size_t out_y = y + static_cast<std::size_t>(on.top - r.top);
      const std::size_t out_x = x + static_cast<std::size_t>(on.left - r.left);
      pixels[out_y * width + out_x] = red + 256 * green + 65536 * blue;
    }
  }
  return pixels;
}

}  // namespace quillan::platform
