#include "platform/x11/x11_window_system.h"

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <thread>
#include <unordered_set>

#include "text/vb_string.h"

namespace quillan::platform {

namespace {

using wintools::Hwnd;

// A window tree deeper than this, or a search longer, is not a real one.
constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxWindows = 100000;
// How deep below a top-level window a window manager's frame may hold the client.
constexpr std::size_t kFrameDepth = 4;

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

std::u16string Latin1(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
  return out;
}

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

class X11WindowSystem::Impl {
 public:
  Impl(xcb_connection_t* c, xcb_screen_t* screen) : c_(c), screen_(screen), root_(screen->root) {
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
                           "_NET_SUPPORTING_WM_CHECK"};
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i) {
      cookies[i] =
          xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
    }
    xcb_atom_t* atoms[] = {&wm_state_,  &net_wm_name_, &utf8_string_,     &wm_protocols_,
                           &wm_delete_, &net_close_,   &net_wm_state_,    &max_vert_,
                           &max_horz_,  &state_above_, &wm_change_state_, &net_wm_check_};
    for (std::size_t i = 0; i < std::size(names); ++i) {
      auto reply = Get<xcb_intern_atom_reply_t>(c_, cookies[i], xcb_intern_atom_reply);
      *atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
  }
  ~Impl() { xcb_disconnect(c_); }

  xcb_connection_t* c() const { return c_; }
  xcb_window_t root() const { return root_; }
  const xcb_screen_t& screen() const { return *screen_; }

  struct Tree {
    xcb_window_t parent = 0;
    std::vector<xcb_window_t> children;  // bottom to top, as the server keeps them
  };
  std::optional<Tree> QueryTree(xcb_window_t w) const {
    auto reply = Get<xcb_query_tree_reply_t>(c_, xcb_query_tree(c_, w), xcb_query_tree_reply);
    if (!reply) return std::nullopt;
    Tree tree;
    tree.parent = reply->parent;
    const xcb_window_t* children = xcb_query_tree_children(reply.p);
    tree.children.assign(children, children + xcb_query_tree_children_length(reply.p));
    return tree;
  }

  bool Exists(xcb_window_t w) const {
    if (w == 0) return false;
    return static_cast<bool>(Get<xcb_get_window_attributes_reply_t>(
        c_, xcb_get_window_attributes(c_, w), xcb_get_window_attributes_reply));
  }

  // A property's bytes; nullopt when the window or the property is missing.
  std::optional<std::string> Property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                                      xcb_atom_t* actual_type = nullptr) const {
    if (w == 0 || property == XCB_ATOM_NONE) return std::nullopt;
    auto reply = Get<xcb_get_property_reply_t>(
        c_, xcb_get_property(c_, 0, w, property, type, 0, 1 << 16), xcb_get_property_reply);
    if (!reply || reply->type == XCB_ATOM_NONE) return std::nullopt;
    if (actual_type != nullptr) *actual_type = reply->type;
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.p));
    const int length = xcb_get_property_value_length(reply.p);
    return std::string(data, static_cast<std::size_t>(std::max(length, 0)));
  }

  // The client inside a top-level window: the window itself when it carries WM_STATE or
  // WM_CLASS (a frame carries neither), else the first window with WM_STATE in a
  // breadth-first search a few levels down, as window managers nest their frames; without
  // one, the top-level itself.
  xcb_window_t ClientOf(xcb_window_t top) const {
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

  // The class halves of several windows' WM_CLASS, their requests sent together.
  std::vector<std::u16string> Classes(const std::vector<xcb_window_t>& windows) const {
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

  static std::u16string ClassHalf(const std::string& value) {
    // "instance\0class\0": the class half.
    const std::size_t nul = value.find('\0');
    if (nul == std::string::npos) return {};
    std::string cls = value.substr(nul + 1);
    if (const std::size_t end = cls.find('\0'); end != std::string::npos) cls.resize(end);
    return Latin1(cls);
  }

  // Where a window stands, in one round trip: a client (it carries WM_STATE, or without a
  // window manager, or once withdrawn, it is a child of the root) with its owner, or a
  // subwindow or frame with the window it is in. nullopt when the window is gone.
  struct Placement {
    bool client = false;
    xcb_window_t parent = 0;
    xcb_window_t owner = 0;  // WM_TRANSIENT_FOR, for a client
  };
  std::optional<Placement> Place(xcb_window_t w) const {
    if (w == 0) return std::nullopt;
    const auto state_cookie =
        xcb_get_property(c_, 0, w, wm_state_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
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

  bool IsClient(xcb_window_t w) const {
    const auto placement = Place(w);
    return placement && placement->client;
  }

  // The children FindWindowEx looks at: for 0 the top-level clients, top of the stacking
  // order first; else the window's children bottom to top, the order they were made in unless
  // a program restacked them (as a dialog's controls come in the order of its template on
  // Windows). nullopt when the parent is gone.
  std::optional<std::vector<xcb_window_t>> SearchedChildren(Hwnd parent) const {
    if (parent == 0) return TopLevelClients();
    auto tree = QueryTree(static_cast<xcb_window_t>(parent));
    if (!tree) return std::nullopt;
    return std::move(tree->children);
  }

  // Those of `windows` whose class is class_name, compared case-insensitively as Windows
  // does, in order; only the first with `first_only`.
  std::vector<Hwnd> OfClass(const std::vector<xcb_window_t>& windows,
                            std::u16string_view class_name, bool first_only) const {
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

  // The top-level clients, top of the stacking order first, hidden and minimized included.
  std::vector<xcb_window_t> TopLevelClients() const {
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

  struct Box {
    int x = 0, y = 0, width = 0, height = 0;  // outer box, border included, in the parent
    bool viewable = false;
    bool input_output = false;
  };
  // The boxes of several windows, their requests sent together.
  std::vector<std::optional<Box>> Boxes(const std::vector<xcb_window_t>& windows) const {
    std::vector<xcb_get_geometry_cookie_t> geometry;
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    for (xcb_window_t w : windows) {
      geometry.push_back(xcb_get_geometry(c_, w));
      attributes.push_back(xcb_get_window_attributes(c_, w));
    }
    std::vector<std::optional<Box>> boxes;
    for (std::size_t i = 0; i < windows.size(); ++i) {
      auto g = Get<xcb_get_geometry_reply_t>(c_, geometry[i], xcb_get_geometry_reply);
      auto a = Get<xcb_get_window_attributes_reply_t>(c_, attributes[i],
                                                      xcb_get_window_attributes_reply);
      if (!g || !a) {
        boxes.emplace_back();
        continue;
      }
      boxes.push_back(Box{g->x, g->y, g->width + 2 * g->border_width,
                          g->height + 2 * g->border_width, a->map_state == XCB_MAP_STATE_VIEWABLE,
                          a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT});
    }
    return boxes;
  }

  // The topmost viewable InputOutput child of w that holds the point (x, y), given in w's
  // coordinates; 0 when none. The point comes back in that child's coordinates.
  xcb_window_t ChildAt(xcb_window_t w, int& x, int& y) const {
    auto tree = QueryTree(w);
    if (!tree || tree->children.empty()) return 0;
    std::vector<xcb_window_t> top_down(tree->children.rbegin(), tree->children.rend());
    const auto boxes = Boxes(top_down);
    for (std::size_t i = 0; i < top_down.size(); ++i) {
      const auto& b = boxes[i];
      if (!b || !b->viewable || !b->input_output) continue;
      if (x >= b->x && x < b->x + b->width && y >= b->y && y < b->y + b->height) {
        x -= b->x;
        y -= b->y;
        return top_down[i];
      }
    }
    return 0;
  }

  std::u16string Title(xcb_window_t w) const {
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

  std::u16string ClassOf(xcb_window_t w) const {
    auto value = Property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    return value ? ClassHalf(*value) : std::u16string();
  }

  bool SpeaksDelete(xcb_window_t w) const {
    auto value = Property(w, wm_protocols_, XCB_ATOM_ATOM);
    if (!value) return false;
    for (std::size_t i = 0; i + 4 <= value->size(); i += 4) {
      xcb_atom_t atom = 0;
      std::memcpy(&atom, value->data() + i, 4);
      if (atom == wm_delete_) return true;
    }
    return false;
  }

  bool WindowManagerRuns() const {
    auto value = Property(root_, net_wm_check_, XCB_ATOM_WINDOW);
    if (!value || value->size() < 4) return false;
    xcb_window_t check = 0;
    std::memcpy(&check, value->data(), 4);
    return Exists(check);
  }

  // Sends a client message the window manager acts on, as the EWMH asks.
  bool MessageToRoot(xcb_window_t w, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1 = 0,
                     std::uint32_t d2 = 0) const {
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

  bool Checked(xcb_void_cookie_t cookie) const {
    xcb_generic_error_t* error = xcb_request_check(c_, cookie);
    std::free(error);
    return error == nullptr;
  }

  xcb_atom_t wm_state_ = 0, net_wm_name_ = 0, utf8_string_ = 0, wm_protocols_ = 0, wm_delete_ = 0,
             net_close_ = 0, net_wm_state_ = 0, max_vert_ = 0, max_horz_ = 0, state_above_ = 0,
             wm_change_state_ = 0, net_wm_check_ = 0;

 private:
  xcb_connection_t* c_;
  xcb_screen_t* screen_;
  xcb_window_t root_;
};

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
        return u"Minimizing, maximizing and restoring need a window manager, and none runs.";
      }
      return {};
    default:
      return {};
  }
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

bool X11WindowSystem::IsWindow(Hwnd hwnd) { return impl_->Exists(static_cast<xcb_window_t>(hwnd)); }

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

int X11WindowSystem::SendGetTextLength(Hwnd hwnd) { return GetWindowTextLength(hwnd); }

std::u16string X11WindowSystem::SendGetText(Hwnd hwnd, int max_count) {
  return GetWindowText(hwnd, max_count);
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

std::uint32_t X11WindowSystem::GetScreenPixel(wintools::ScreenPoint p) {
  const xcb_screen_t& screen = impl_->screen();
  if (xwayland_ || p.x < 0 || p.y < 0 || p.x >= screen.width_in_pixels ||
      p.y >= screen.height_in_pixels) {
    return wintools::kClrInvalid;
  }
  xcb_connection_t* c = impl_->c();
  auto image = Get<xcb_get_image_reply_t>(
      c,
      xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, impl_->root(), static_cast<std::int16_t>(p.x),
                    static_cast<std::int16_t>(p.y), 1, 1, 0xFFFFFFFF),
      xcb_get_image_reply);
  if (!image) return wintools::kClrInvalid;
  // The root visual's masks decode the pixel.
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
  const int length = xcb_get_image_data_length(image.p);
  if (visual == nullptr || length <= 0) return wintools::kClrInvalid;
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, xcb_get_image_data(image.p),
              std::min<std::size_t>(sizeof pixel, static_cast<std::size_t>(length)));
  const std::uint32_t red = Channel(pixel, visual->red_mask);
  const std::uint32_t green = Channel(pixel, visual->green_mask);
  const std::uint32_t blue = Channel(pixel, visual->blue_mask);
  return red + 256 * green + 65536 * blue;
}

std::unique_ptr<wintools::WindowSystem> TryX11(const SessionEnvironment& env,
                                               std::u16string& reason) {
  if (env.display.empty()) return nullptr;
  return X11WindowSystem::Connect(env.display, reason, !env.wayland_display.empty());
}

std::vector<BackendCandidate> BuiltInBackends() { return {{"x11", TryX11}}; }

}  // namespace quillan::platform
