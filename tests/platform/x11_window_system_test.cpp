// The X11 backend on a private Xvfb that the test starts itself, once bare and once under
// openbox: the contract suite, then what only X11 shows.
#include "platform/x11/x11_window_system.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "platform/host.h"
#include "platform/window_system_contract.h"
#include "platform/x11/x11_pick_highlight.h"
#include "text/vb_string.h"
#include "wintools/code_generator.h"
#include "wintools/window_spy.h"

extern char** environ;

namespace quillan::platform {
namespace {

using testing_support::BackendUnderTest;
using testing_support::TestRect;
using testing_support::WindowSystemContract;
using wintools::Hwnd;

pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& extra_env = {}) {
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  std::vector<std::string> env_strings(extra_env);
  for (char** e = environ; *e != nullptr; ++e) env_strings.emplace_back(*e);
  std::vector<char*> env;
  for (std::string& e : env_strings) env.push_back(e.data());
  env.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), env.data()) != 0) return 0;
  return pid;
}

bool WaitFor(const std::function<bool()>& ready, int ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ready();
}

// One X server for the whole run of one kind (bare, or under openbox).
struct Session {
  std::string display;
  pid_t xvfb = 0;
  pid_t wm = 0;
  std::string error;

  explicit Session(bool with_wm) {
    int fds[2];
    if (::pipe(fds) != 0) {
      error = "no pipe";
      return;
    }
    xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                  "-nolisten", "tcp"});
    ::close(fds[1]);
    if (xvfb == 0) {
      ::close(fds[0]);
      error = "Xvfb could not be started";
      return;
    }
    char buffer[32] = {};
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer - 1);
    ::close(fds[0]);
    if (n <= 0) {
      error = "Xvfb did not start";
      return;
    }
    display = ":" + std::string(buffer, static_cast<std::size_t>(n));
    while (!display.empty() && (display.back() == '\n')) display.pop_back();
    if (!with_wm) return;
    wm = Spawn({"openbox", "--sm-disable"}, {"DISPLAY=" + display});
    std::u16string reason;
    auto probe = X11WindowSystem::Connect(display, reason);
    if (wm == 0 || !probe || !WaitFor([&] { return probe->HasWindowManager(); })) {
      error = "openbox did not start";
      return;
    }
    // A window mapped while it is still starting is never framed; it manages new windows
    // once it has settled. Probe until one is framed.
    xcb_connection_t* c = ConnectToDisplay(display);
    if (c == nullptr) {
      error = "the X server does not answer";
      return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    bool framed = false;
    for (int attempt = 0; attempt < 20 && !framed; ++attempt) {
      const xcb_window_t w = xcb_generate_id(c);
      xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 10, 10, 0,
                        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
      xcb_map_window(c, w);
      xcb_flush(c);
      framed = WaitFor(
          [&] {
            auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
            const bool reparented = tree != nullptr && tree->parent != screen->root;
            std::free(tree);
            return reparented;
          },
          500);
      xcb_destroy_window(c, w);
      xcb_flush(c);
    }
    xcb_disconnect(c);
    if (!framed) error = "openbox frames no window";
  }
  ~Session() {
    for (pid_t pid : {wm, xvfb}) {
      if (pid != 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
      }
    }
  }
};

Session& TheSession(bool with_wm) {
  static Session bare(false);
  if (!with_wm) return bare;
  static Session managed(true);
  return managed;
}

// Windows made by a program of the test's own, on a connection apart from the backend's.
class X11Harness final : public testing_support::WindowSystemHarness {
 public:
  explicit X11Harness(bool with_wm) : session_(TheSession(with_wm)), with_wm_(with_wm) {
    std::u16string reason;
    if (!session_.error.empty()) return;
    c_ = ConnectToDisplay(session_.display);
    if (c_ == nullptr) return;
    backend_ = X11WindowSystem::Connect(session_.display, reason);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
  }
  ~X11Harness() override {
    if (c_ != nullptr) {
      for (xcb_window_t w : made_) xcb_destroy_window(c_, w);
      RoundTrip();
      xcb_disconnect(c_);
    }
  }
  bool ready() const { return backend_ != nullptr; }
  const std::string& error() const { return session_.error; }
  const std::string& display() const { return session_.display; }

  wintools::WindowSystem& System() override { return *backend_; }
  X11WindowSystem& Backend() { return *backend_; }
  xcb_connection_t* connection() const { return c_; }

  Hwnd Create(std::u16string_view class_name, std::u16string_view title, Hwnd parent,
              TestRect r) override {
    const xcb_window_t w = xcb_generate_id(c_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    const std::uint32_t values[] = {
        screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE};
    const xcb_window_t in = parent != 0 ? static_cast<xcb_window_t>(parent) : root_;
    xcb_create_window(
        c_, XCB_COPY_FROM_PARENT, w, in, static_cast<std::int16_t>(r.left),
        static_cast<std::int16_t>(r.top), static_cast<std::uint16_t>(r.right - r.left),
        static_cast<std::uint16_t>(r.bottom - r.top), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string cls = text::ToUtf8(class_name);
    std::string wm_class = "quillan-test";
    wm_class.push_back('\0');
    wm_class += cls;
    wm_class.push_back('\0');
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wm_class.size()), wm_class.data());
    // The title as an ICCCM client writes it: Latin-1.
    std::string name;
    for (char16_t ch : title) name.push_back(static_cast<char>(ch));
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(name.size()), name.data());
    if (parent == 0) {
      xcb_size_hints_t hints{};
      xcb_icccm_size_hints_set_position(&hints, 1, r.left, r.top);
      xcb_icccm_size_hints_set_size(&hints, 1, r.right - r.left, r.bottom - r.top);
      xcb_icccm_set_wm_normal_hints(c_, w, &hints);
      top_levels_.push_back(w);
    }
    xcb_map_window(c_, w);
    made_.push_back(w);
    Sync();
    return static_cast<Hwnd>(w);
  }
  // Paints the window's background in a 24-bit TrueColor pixel (0xRRGGBB).
  void Paint(Hwnd window, std::uint32_t rgb) {
    const auto w = static_cast<xcb_window_t>(window);
    xcb_change_window_attributes(c_, w, XCB_CW_BACK_PIXEL, &rgb);
    xcb_clear_area(c_, 0, w, 0, 0, 0, 0);
    Sync();
  }
  Hwnd CreateOwned(std::u16string_view class_name, std::u16string_view title, Hwnd owner,
                   TestRect r, bool) override {
    const Hwnd w = Create(class_name, title, 0, r);
    SetOwner(w, owner);
    return w;
  }
  void SetOwner(Hwnd window, Hwnd owner) {
    const auto o = static_cast<xcb_window_t>(owner);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &o);
    Sync();
  }
  void Destroy(Hwnd hwnd) override {
    xcb_destroy_window(c_, static_cast<xcb_window_t>(hwnd));
    std::erase(made_, static_cast<xcb_window_t>(hwnd));
    std::erase(top_levels_, static_cast<xcb_window_t>(hwnd));
    Sync();
  }
  wintools::ScreenPoint ToScreen(Hwnd hwnd, int x, int y) override {
    auto* reply = xcb_translate_coordinates_reply(
        c_,
        xcb_translate_coordinates(c_, static_cast<xcb_window_t>(hwnd), root_,
                                  static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)),
        nullptr);
    const wintools::ScreenPoint p{reply ? reply->dst_x : 0, reply ? reply->dst_y : 0};
    std::free(reply);
    return p;
  }
  void MovePointer(wintools::ScreenPoint p) override {
    xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_,
                        static_cast<std::int16_t>(p.x), static_cast<std::int16_t>(p.y), 0);
    Sync();
  }
  void Sync() override {
    RoundTrip();
    // Under a window manager the windows are framed a moment later; wait until every
    // top-level window made here carries WM_STATE, and the frame has settled.
    if (!with_wm_) return;
    WaitFor([this] {
      for (xcb_window_t w : top_levels_) {
        auto* reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, WmState(), XCB_GET_PROPERTY_TYPE_ANY, 0, 2), nullptr);
        // A window destroyed meanwhile is not waited for.
        const bool settled = reply == nullptr || reply->type != XCB_ATOM_NONE || !WindowExists(w);
        std::free(reply);
        if (!settled) return false;
      }
      return true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  // The client messages the test's windows have received, by type name.
  std::vector<std::string> ReceivedMessages() {
    std::vector<std::string> names;
    while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
      if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
        const auto* m = reinterpret_cast<xcb_client_message_event_t*>(event);
        auto* name = xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, m->type), nullptr);
        if (name != nullptr) {
          names.emplace_back(xcb_get_atom_name_name(name),
                             static_cast<std::size_t>(xcb_get_atom_name_name_length(name)));
        }
        std::free(name);
      }
      std::free(event);
    }
    return names;
  }
  xcb_atom_t Atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
  }

 private:
  void RoundTrip() {
    if (c_ != nullptr) std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
  }
  bool WindowExists(xcb_window_t w) {
    auto* reply = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
    std::free(reply);
    return reply != nullptr;
  }
  xcb_atom_t WmState() {
    if (wm_state_ == 0) wm_state_ = Atom("WM_STATE");
    return wm_state_;
  }

  Session& session_;
  bool with_wm_;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_atom_t wm_state_ = 0;
  std::unique_ptr<X11WindowSystem> backend_;
  std::vector<xcb_window_t> made_;
  std::vector<xcb_window_t> top_levels_;
};

// A harness whose session could not start fails the case under CI and skips it elsewhere.
std::unique_ptr<testing_support::WindowSystemHarness> MakeHarness(bool with_wm) {
  auto harness = std::make_unique<X11Harness>(with_wm);
  if (!harness->ready()) {
    // Recorded from inside a function, so that the case's body does not run.
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") {
      [&] { FAIL() << "no X server for the X11 tests: " << harness->error(); }();
    } else {
      [] { GTEST_SKIP() << "no X server for the X11 tests"; }();
    }
  }
  return harness;
}

INSTANTIATE_TEST_SUITE_P(
    X11, WindowSystemContract,
    // X11 has no enabled state; minimizing and maximizing are a window manager's work.
    ::testing::Values(BackendUnderTest{"bare",
                                       {.can_enable = false,
                                        .skips_disabled_children = false,
                                        .can_minimize = false},
                                       [] { return MakeHarness(false); }},
                      BackendUnderTest{"openbox",
                                       {.can_enable = false, .skips_disabled_children = false},
                                       [] { return MakeHarness(true); }}),
    testing_support::BackendName);

class X11Backend : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    harness_ = std::make_unique<X11Harness>(GetParam());
    if (!harness_->ready()) {
      const char* ci = std::getenv("CI");
      if (ci != nullptr && std::string(ci) == "true") FAIL() << harness_->error();
      GTEST_SKIP() << "no X server for the X11 tests";
    }
  }
  X11Harness& h() { return *harness_; }
  X11WindowSystem& ws() { return harness_->Backend(); }

 private:
  std::unique_ptr<X11Harness> harness_;
};

TEST_P(X11Backend, OwnersSubwindowsTitlesAndPixels) {
  const Hwnd main = h().Create(u"QuillanTestMain", u"Main", 0, {200, 200, 600, 500});
  const Hwnd dialog = h().Create(u"#32770", u"Options \u00e9", 0, {300, 300, 500, 450});
  h().SetOwner(dialog, main);
  const Hwnd button = h().Create(u"Button", u"OK", dialog, {10, 10, 80, 40});
  EXPECT_EQ(ws().GetParent(dialog), main);  // the owner
  EXPECT_EQ(ws().GetParent(button), dialog);
  EXPECT_EQ(ws().GetParent(main), 0);
  EXPECT_EQ(ws().GetWindowText(dialog, 100), u"Options \u00e9");
  // A frame is never a handle: the client is found through it.
  EXPECT_EQ(ws().WindowFromPoint(h().ToScreen(dialog, 150, 100)), dialog);
  // The windows' white background, decoded with the visual's masks; off the screen, invalid.
  EXPECT_EQ(ws().GetScreenPixel(h().ToScreen(dialog, 150, 100)), 0xFFFFFFu);
  EXPECT_EQ(ws().GetScreenPixel({5000, 5000}), wintools::kClrInvalid);
  EXPECT_TRUE(ws().SendSetText(dialog, u"\u0416 renamed"));
  EXPECT_EQ(ws().SendGetText(dialog, 100), u"\u0416 renamed");
  EXPECT_FALSE(ws().EnableWindow(dialog, false));
  EXPECT_NE(ws().CannotDo(wintools::Capability::kEnableDisable), u"");
  EXPECT_EQ(ws().CannotDo(wintools::Capability::kMinimizeMaximize).empty(), GetParam());
  // Restore maps the window with or without a window manager: the reason is not its.
  EXPECT_EQ(ws().CannotDo(wintools::Capability::kMinimizeMaximize).find(u"restor"),
            std::u16string::npos);
}

TEST_P(X11Backend, TheProgramOfAWindowIsTheOneItsTopLevelClientNames) {
  const Hwnd top = h().Create(u"notepad.exe", u"Untitled - Notepad", 0, {100, 100, 400, 300});
  const Hwnd inner = h().Create(u"Inner", u"", top, {10, 10, 60, 60});
  const Hwnd silent = h().Create(u"Silent", u"", 0, {500, 100, 600, 200});
  const std::uint32_t pid = 4242;
  xcb_change_property(h().connection(), XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(top),
                      h().Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
  h().Sync();
  EXPECT_EQ(ws().ClientPid(top), 4242);
  EXPECT_EQ(ws().ClientPid(inner), 4242);
  EXPECT_EQ(ws().ClientPid(ws().WindowFromPoint(h().ToScreen(inner, 5, 5))), 4242);
  EXPECT_EQ(ws().ClientPid(silent), std::nullopt);  // a program that does not say
  EXPECT_EQ(ws().ClientPid(0), std::nullopt);
  const std::vector<int> pids = ws().ClientPids();
  EXPECT_EQ(std::count(pids.begin(), pids.end(), 4242), 1);
}

TEST_P(X11Backend, CloseAsksTheProgramAndNeverKillsIt) {
  const Hwnd window = h().Create(u"Polite", u"Polite", 0, {100, 100, 200, 200});
  const xcb_atom_t protocols = h().Atom("WM_PROTOCOLS");
  const xcb_atom_t delete_window = h().Atom("WM_DELETE_WINDOW");
  xcb_change_property(h().connection(), XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window),
                      protocols, XCB_ATOM_ATOM, 32, 1, &delete_window);
  h().Sync();
  h().ReceivedMessages();
  EXPECT_TRUE(ws().PostClose(window));
  h().Sync();
  const auto messages = h().ReceivedMessages();
  EXPECT_NE(std::find(messages.begin(), messages.end(), "WM_PROTOCOLS"), messages.end());
  EXPECT_EQ(ws().GetClassName(window, 100), u"Polite");  // still there
  // A program that does not speak the protocol is left to the window manager, if any.
  const Hwnd rude = h().Create(u"Rude", u"Rude", 0, {300, 100, 400, 200});
  EXPECT_EQ(ws().PostClose(rude), GetParam());
}

TEST_P(X11Backend, MinimizeMaximizeAndRestoreGoThroughTheWindowManager) {
  const Hwnd window = h().Create(u"Sizable", u"Sizable", 0, {100, 100, 300, 250});
  auto property = [&](const char* name) {
    auto* reply = xcb_get_property_reply(
        h().connection(),
        xcb_get_property(h().connection(), 0, static_cast<xcb_window_t>(window), h().Atom(name),
                         XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    std::vector<std::uint32_t> values;
    if (reply != nullptr && reply->format == 32) {
      const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
      values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
  };
  auto maximized = [&] {
    const auto state = property("_NET_WM_STATE");
    return std::find(state.begin(), state.end(), h().Atom("_NET_WM_STATE_MAXIMIZED_VERT")) !=
           state.end();
  };
  auto iconic = [&] {
    const auto state = property("WM_STATE");
    return !state.empty() && state[0] == XCB_ICCCM_WM_STATE_ICONIC;
  };
  if (!GetParam()) {
    // Without a window manager there is no one to ask: nothing happens, and it says so.
    EXPECT_FALSE(ws().ShowWindow(window, wintools::kSwMaximize));
    EXPECT_FALSE(ws().ShowWindow(window, wintools::kSwMinimize));
    EXPECT_FALSE(maximized());
    return;
  }
  EXPECT_TRUE(ws().ShowWindow(window, wintools::kSwMaximize));
  EXPECT_TRUE(WaitFor(maximized));
  EXPECT_TRUE(ws().ShowWindow(window, wintools::kSwRestore));
  EXPECT_TRUE(WaitFor([&] { return !maximized(); }));
  EXPECT_TRUE(ws().ShowWindow(window, wintools::kSwMinimize));
  EXPECT_TRUE(WaitFor(iconic));
  // A minimized window is still found among the top-level windows.
  EXPECT_EQ(ws().FindWindowEx(0, 0, u"sizable"), window);
  EXPECT_TRUE(ws().ShowWindow(window, wintools::kSwRestore));
  EXPECT_TRUE(WaitFor([&] { return !iconic(); }));
}

TEST_P(X11Backend, WindowsThatVanishDuringAWalkBreakNothing) {
  // Windows come and go while the backend walks the tree; every answer stays 0 or empty for
  // the gone ones, and nothing ends the process. Bounded in count and time.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (int round = 0; round < 40 && std::chrono::steady_clock::now() < end; ++round) {
    const Hwnd top = h().Create(u"Churn", u"Churn", 0, {50, 50, 150, 150});
    const Hwnd child = h().Create(u"Leaf", u"", top, {5, 5, 20, 20});
    // Destroyed without waiting, so the requests below race with the destruction.
    xcb_destroy_window(h().connection(), static_cast<xcb_window_t>(top));
    xcb_flush(h().connection());
    ws().FindWindowEx(0, 0, u"Churn");
    ws().WindowFromPoint({60, 60});
    ws().GetParent(child);
    h().Sync();
    EXPECT_EQ(ws().GetClassName(top, 100), u"");
    EXPECT_EQ(ws().GetWindowTextLength(child), 0);
    EXPECT_FALSE(ws().ShowWindow(child, wintools::kSwShow));
    EXPECT_EQ(ws().FindWindowEx(top, 0, u"Leaf"), 0);
  }
  // The next query still works.
  const Hwnd alive = h().Create(u"Alive", u"Alive", 0, {10, 10, 40, 40});
  EXPECT_EQ(ws().GetClassName(alive, 100), u"Alive");
}

TEST_P(X11Backend, TheWorkedExampleOfTheCodeGeneratorOnRealWindows) {
  const Hwnd dialog = h().Create(u"#32770", u"Find", 0, {400, 400, 700, 600});
  h().Create(u"Edit", u"", dialog, {10, 10, 200, 40});
  const Hwnd second = h().Create(u"Edit", u"", dialog, {10, 60, 200, 90});
  EXPECT_EQ(wintools::GenerateFinderCode(ws(), second),
            u"Dim #32770 As Long\r\n"
            u"Dim Edit As Long\r\n"
            u"#32770& = FindWindow(\"#32770\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)\r\n");
}

TEST_P(X11Backend, WindowSpyButtonsChangeARealWindow) {
  using wintools::SpyAction;
  const Hwnd target = h().Create(u"Target", u"Old caption", 0, {100, 100, 300, 250});
  auto mapped = [&] {
    auto* a = xcb_get_window_attributes_reply(
        h().connection(),
        xcb_get_window_attributes(h().connection(), static_cast<xcb_window_t>(target)), nullptr);
    const bool viewable = a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
  };
  // A handle as the user types it works like a picked one.
  const auto typed = wintools::ParseHandle(text::FromUtf8(std::to_string(target)));
  ASSERT_EQ(typed, target);
  wintools::RunSpyAction(ws(), *typed, SpyAction::kHide);
  EXPECT_TRUE(WaitFor([&] { return !mapped(); }));
  wintools::RunSpyAction(ws(), *typed, SpyAction::kShow);
  EXPECT_TRUE(WaitFor(mapped));
  h().Sync();
  // The caption through Modify Text's routines: read, changed, read back.
  EXPECT_EQ(wintools::ReadCaption(ws(), target), u"Old caption");
  wintools::WriteText(ws(), target, u"New caption");
  EXPECT_EQ(wintools::ReadText(ws(), target), u"New caption");
  EXPECT_EQ(wintools::ReadCaption(ws(), target), u"New caption");
  // Close asks the program through WM_DELETE_WINDOW.
  const xcb_atom_t delete_window = h().Atom("WM_DELETE_WINDOW");
  xcb_change_property(h().connection(), XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(target),
                      h().Atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &delete_window);
  h().Sync();
  h().ReceivedMessages();
  wintools::RunSpyAction(ws(), target, SpyAction::kClose);
  h().Sync();
  const auto messages = h().ReceivedMessages();
  EXPECT_NE(std::find(messages.begin(), messages.end(), "WM_PROTOCOLS"), messages.end());
  // Enable and Disable cannot work on X11, and the tool is told so.
  EXPECT_NE(wintools::SpyActionLimit(ws(), SpyAction::kDisable), u"");
  EXPECT_EQ(wintools::SpyActionLimit(ws(), SpyAction::kMinimize).empty(), GetParam());
}

TEST_P(X11Backend, ColorSpySamplesWindowsPaintedInKnownColours) {
  const struct {
    std::uint32_t rgb;
    const char16_t* color;
    const char16_t* html;
  } cases[] = {{0xFF0000, u"255", u"#FF0000"},
               {0x0000FF, u"16711680", u"#0000FF"},
               {0x000000, u"0", u"#000000"},
               {0xFFFFFF, u"16777215", u"#FFFFFF"},
               {0x00000F, u"983040", u"#00000F"}};
  const Hwnd window = h().Create(u"Paint", u"Paint", 0, {500, 500, 600, 600});
  wintools::ColorSpy spy;
  for (const auto& c : cases) {
    h().Paint(window, c.rgb);
    h().MovePointer(h().ToScreen(window, 50, 50));
    spy.Sample(ws());
    EXPECT_EQ(spy.readout().color, c.color);
    EXPECT_EQ(spy.readout().html, c.html);
  }
}

TEST_P(X11Backend, KeyInputIsPrimedWithAKeyThatTypesNothing) {
  const auto w = static_cast<xcb_window_t>(h().Create(u"Keys", u"Keys", 0, {100, 100, 300, 200}));
  h().Sync();
  ::setenv("DISPLAY", h().display().c_str(), 1);
  PrimeKeyInput(w);
  // It goes to the program that made the window: here the test's own connection.
  xcb_connection_t* c = h().connection();
  std::optional<xcb_key_press_event_t> press;
  ASSERT_TRUE(WaitFor([&] {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
      if ((e->response_type & 0x7F) == XCB_KEY_PRESS) {
        press = *reinterpret_cast<xcb_key_press_event_t*>(e);
      }
      std::free(e);
    }
    return press.has_value();
  }));
  EXPECT_EQ(press->event, w);
  EXPECT_NE(press->time, XCB_CURRENT_TIME);
  auto* mapping =
      xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, press->detail, 1), nullptr);
  ASSERT_NE(mapping, nullptr);
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
  EXPECT_TRUE(std::all_of(syms, syms + xcb_get_keyboard_mapping_keysyms_length(mapping),
                          [](xcb_keysym_t s) { return s == 0; }));
  std::free(mapping);
}

TEST_P(X11Backend, ThePickOutlineSurroundsAWindowAndIsNeverUnderThePointer) {
  const Hwnd beneath = h().Create(u"Beneath", u"Beneath", 0, {100, 100, 700, 600});
  const Hwnd target = h().Create(u"Target", u"Target", 0, {200, 200, 400, 350});
  xcb_connection_t* c = h().connection();
  X11PickHighlight outline(h().display());
  auto state = [&] {
    auto* a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, outline.window()), nullptr);
    const std::pair<int, bool> s{a ? a->map_state : -1, a && a->override_redirect};
    std::free(a);
    return s;
  };
  const auto white = [](std::uint32_t v) { return v == 0xFFFFFFu; };
  for (const Hwnd picked : {target, beneath}) {
    if (picked == beneath) {
      // An InputOnly window over the screen, below the outline: the search looks through the
      // windows' boxes, and the outline's is skipped by its shapes.
      const xcb_window_t cover = xcb_generate_id(c);
      const std::uint32_t override_redirect = 1;
      xcb_create_window(c, 0, cover, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0,
                        1280, 1024, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                        XCB_CW_OVERRIDE_REDIRECT, &override_redirect);
      xcb_map_window(c, cover);
      h().Sync();
    }
    const wintools::ScreenRect r = ws().GetWindowRect(picked);
    outline.Show(r);
    ASSERT_TRUE(WaitFor([&] { return ws().GetWindowRect(outline.window()) == r; }));
    EXPECT_EQ(state(), std::make_pair(int{XCB_MAP_STATE_VIEWABLE}, true));
    // The ring is drawn along the window's edges (the windows are white), its hole shows the
    // window, and on either the window is the one under the pointer, never the outline.
    const auto left_column = ws().GetScreenPixels({r.left, r.top, r.left + 1, r.bottom});
    EXPECT_FALSE(std::all_of(left_column.begin(), left_column.end(), white));
    EXPECT_EQ(ws().GetScreenPixel({r.left + 20, r.top + 20}), 0xFFFFFFu);
    for (const wintools::ScreenPoint p : {wintools::ScreenPoint{r.left, r.top},
                                          {r.left + 1, r.top + 40},
                                          {r.right - 1, r.bottom - 2},
                                          {r.left + 20, r.top + 20}}) {
      EXPECT_EQ(ws().WindowFromPoint(p), picked) << p.x << "," << p.y;
    }
  }
  outline.Hide();
  ASSERT_TRUE(WaitFor([&] { return state().first == XCB_MAP_STATE_UNMAPPED; }));
  const wintools::ScreenRect r = ws().GetWindowRect(beneath);
  const auto left_column = ws().GetScreenPixels({r.left, r.top, r.left + 1, r.bottom});
  EXPECT_TRUE(std::all_of(left_column.begin(), left_column.end(), white));
}

INSTANTIATE_TEST_SUITE_P(X11, X11Backend, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "openbox" : "bare";
                         });

}  // namespace
}  // namespace quillan::platform
