#include "platform/fake_window_system.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/none_window_system.h"
#include "platform/window_system_choice.h"
#include "platform/window_system_contract.h"
#include "wintools/window_protocol.h"

namespace quillan::platform {
namespace {

using testing_support::TestRect;
using wintools::Capability;
using wintools::Hwnd;

class FakeHarness final : public testing_support::WindowSystemHarness {
 public:
  wintools::WindowSystem& System() override { return ws_; }
  Hwnd Create(std::u16string_view class_name, std::u16string_view text, Hwnd parent,
              TestRect r) override {
    // The contract gives a child's rectangle relative to its parent, as X11 and Win32 do.
    if (const FakeWindowSystem::Window* p = ws_.Find(parent)) {
      r = {r.left + p->rect.left, r.top + p->rect.top, r.right + p->rect.left,
           r.bottom + p->rect.top};
    }
    return ws_.Add(std::u16string(class_name), std::u16string(text), parent,
                   {r.left, r.top, r.right, r.bottom});
  }
  Hwnd CreateOwned(std::u16string_view class_name, std::u16string_view text, Hwnd owner, TestRect r,
                   bool) override {
    const Hwnd h = Create(class_name, text, 0, r);
    ws_.Find(h)->owner = owner;
    return h;
  }
  void Destroy(Hwnd hwnd) override { ws_.Remove(hwnd); }
  wintools::ScreenPoint ToScreen(Hwnd hwnd, int x, int y) override {
    const FakeWindowSystem::Window* w = ws_.Find(hwnd);
    return {w->rect.left + x, w->rect.top + y};
  }
  void MovePointer(wintools::ScreenPoint p) override { ws_.SetCursor(p); }

 private:
  FakeWindowSystem ws_;
};

// Carries each request in a frame to Serve on the fake and the reply back, as the pipes to
// the Wine helper do.
class LoopbackChannel final : public wintools::protocol::WindowChannel {
 public:
  explicit LoopbackChannel(wintools::WindowSystem& served) : served_(served) {}
  std::optional<std::string> Exchange(std::string_view request, Deadline) override {
    namespace protocol = wintools::protocol;
    protocol::FrameReader helper_side, client_side;
    helper_side.Feed(protocol::Frame(request));
    client_side.Feed(protocol::Frame(protocol::Serve(served_, helper_side.Next().value())));
    return client_side.Next();
  }
  void Garbled() override { ADD_FAILURE() << "a reply did not decode"; }
  std::u16string Unavailable() const override { return {}; }

 private:
  wintools::WindowSystem& served_;
};

// The fake's windows, seen through the protocol.
class ProtocolHarness final : public testing_support::WindowSystemHarness {
 public:
  wintools::WindowSystem& System() override { return client_; }
  Hwnd Create(std::u16string_view class_name, std::u16string_view text, Hwnd parent,
              TestRect r) override {
    return fake_.Create(class_name, text, parent, r);
  }
  Hwnd CreateOwned(std::u16string_view class_name, std::u16string_view text, Hwnd owner, TestRect r,
                   bool popup) override {
    return fake_.CreateOwned(class_name, text, owner, r, popup);
  }
  void Destroy(Hwnd hwnd) override { fake_.Destroy(hwnd); }
  wintools::ScreenPoint ToScreen(Hwnd hwnd, int x, int y) override {
    return fake_.ToScreen(hwnd, x, y);
  }
  void MovePointer(wintools::ScreenPoint p) override { fake_.MovePointer(p); }
  FakeWindowSystem& fake() { return static_cast<FakeWindowSystem&>(fake_.System()); }

 private:
  FakeHarness fake_;
  LoopbackChannel channel_{fake_.System()};
  wintools::protocol::ProtocolWindowSystem client_{channel_};
};

using testing_support::WindowSystemContract;
INSTANTIATE_TEST_SUITE_P(
    Fake, WindowSystemContract,
    ::testing::Values(
        testing_support::BackendUnderTest{
            "fake", {}, [] { return std::make_unique<FakeHarness>(); }},
        testing_support::BackendUnderTest{
            "fake_through_the_protocol", {}, [] { return std::make_unique<ProtocolHarness>(); }}),
    testing_support::BackendName);

TEST(ProtocolWindowSystem, CarriesWhatTheContractDoesNotAsk) {
  ProtocolHarness h;
  const Hwnd top = h.Create(u"Cls", u"hello", 0, {0, 0, 100, 100});
  EXPECT_TRUE(h.System().SetWindowPos(top, wintools::kHwndTopmost, 0, 0, 0, 0, 3));
  EXPECT_TRUE(h.fake().Find(top)->topmost);
  h.System().SendSetText(top, u"changed");
  EXPECT_TRUE(h.System().SendUndo(top));
  EXPECT_EQ(h.fake().GetWindowText(top, 100), u"hello");
  h.fake().SetPixel({3, 4}, 0xABCDEF);
  EXPECT_EQ(h.System().GetScreenPixel({3, 4}), 0xABCDEFu);
  h.fake().SetCannotDo(wintools::Capability::kClose, u"not here \u0416");
  EXPECT_EQ(h.System().CannotDo(wintools::Capability::kClose), u"not here \u0416");
  // A command the tools never give is not carried out.
  EXPECT_FALSE(h.System().ShowWindow(top, 7));
  EXPECT_EQ(h.fake().Find(top)->show_state, wintools::kSwShow);
}

TEST(FakeWindowSystem, KeepsWhatTheContractCannotSee) {
  FakeWindowSystem ws;
  const Hwnd top = ws.Add(u"Cls", u"Title", 0, {0, 0, 400, 300});
  const Hwnd edit = ws.Add(u"Edit", u"hello", top, {10, 30, 390, 290});
  EXPECT_EQ(ws.WindowFromPoint({5, 10}), top);
  EXPECT_EQ(ws.WindowFromPoint({500, 500}), 0);
  ws.SendSetText(edit, u"changed");
  ws.SendUndo(edit);
  EXPECT_EQ(ws.SendGetText(edit, 100), u"hello");
  ws.SetPixel({3, 4}, 0x123456);
  EXPECT_EQ(ws.GetScreenPixel({3, 4}), 0x123456u);
  ws.SetScreenSize(2, 2);
  EXPECT_EQ(ws.GetScreenPixel({3, 4}), wintools::kClrInvalid);
  ws.SetCannotDo(Capability::kEnableDisable, u"not here");
  EXPECT_EQ(ws.CannotDo(Capability::kEnableDisable), u"not here");
  EXPECT_EQ(ws.CannotDo(Capability::kClose), u"");
}

TEST(WindowSystemChoice, FallsBackToNoneWithTheReasonThatFitsTheSession) {
  auto refuses = [](const char* why) {
    return BackendCandidate{"x11", [why](const SessionEnvironment&, std::u16string& reason) {
                              reason = std::u16string(why, why + std::strlen(why));
                              return std::unique_ptr<wintools::WindowSystem>();
                            }};
  };
  const struct {
    SessionEnvironment env;
    std::vector<BackendCandidate> candidates;
    std::u16string_view starts;
  } cases[] = {
      {{"", ""}, {}, u"There is no X11 display (DISPLAY is not set)."},
      {{"", "wayland-0"}, {}, u"This is a Wayland session without an X11 display"},
      {{":0", ""}, {}, u"The X11 display \":0\" cannot be used."},
      {{":0", ""}, {refuses("Cannot open display :0.")}, u"Cannot open display :0."},
  };
  for (const auto& c : cases) {
    const WindowSystemChoice choice = ChooseWindowSystem(c.env, c.candidates);
    EXPECT_TRUE(choice.reason.starts_with(c.starts));
    EXPECT_TRUE(choice.reason.ends_with(u"nor read the screen."));
    EXPECT_EQ(choice.backend->CannotDo(Capability::kReadWindows), choice.reason);
    EXPECT_EQ(choice.backend->WindowFromPoint({1, 1}), 0);
    EXPECT_EQ(choice.backend->GetClassName(1, 100), u"");
    EXPECT_EQ(choice.backend->GetScreenPixel({1, 1}), wintools::kClrInvalid);
  }
  // A candidate that can serve the session is taken, with no reason to show.
  const std::vector<BackendCandidate> serving{
      refuses("first one fails"),
      {"fake", [](const SessionEnvironment&, std::u16string&) {
         return std::unique_ptr<wintools::WindowSystem>(std::make_unique<FakeWindowSystem>());
       }}};
  const WindowSystemChoice chosen = ChooseWindowSystem({":0", ""}, serving);
  EXPECT_NE(dynamic_cast<FakeWindowSystem*>(chosen.backend.get()), nullptr);
  EXPECT_EQ(chosen.reason, u"");
}

}  // namespace
}  // namespace quillan::platform
