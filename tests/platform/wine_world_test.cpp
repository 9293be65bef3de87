// The Wine world: how it fails, with a shell script standing in for Wine (WineWorld.*), and
// the contract suite against the real helper under Wine (WineHelper/*, which
// wine_helper_test.sh runs in a prefix of its own with the window maker).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/window_maker_client.h"
#include "platform/window_system_contract.h"
#include "platform/wine/wine_helper.h"
#include "support/child_processes.h"
#include "text/vb_string.h"

namespace quillan::platform {
namespace {

using namespace std::chrono_literals;
using testing_support::TestRect;
using testing_support::WindowSystemContract;
using wintools::Hwnd;

int Children() { return testing_support::ChildProcesses(); }

TEST(WineWorld, FailsWithAPlainReasonAndLeavesNothingRunning) {
  // Nothing of the test's own environment may reach the helper.
  ::setenv("QUILLAN_TEST_LEAK", "1", 1);
  const std::u16string no_answer = u"The Wine helper did not answer in time.";
  const std::u16string ended = u"The Wine helper ended.";
  const std::u16string garbage = u"The Wine helper answered something it should not have.";
  const struct {
    const char* stand_in;
    bool ready_first;  // says hello, then fails on the first request
    std::u16string reason;
  } cases[] = {
      {"hang", false, no_answer},       {"exit", false, ended},
      {"garbage", false, garbage},      {"hello-then-hang", true, no_answer},
      {"hello-then-exit", true, ended}, {"hello-then-garbage", true, garbage},
  };
  WineWorldOptions options;
  options.helper = QUILLAN_STAND_IN_WINE;  // any readable file; the stand-in ignores it
  options.start = 1s;
  options.deadlines.query = 1s;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stand_in);
    auto world =
        StartWineWorld({QUILLAN_STAND_IN_WINE, {{"STAND_IN", c.stand_in}}, "k", u"p"}, options);
    // However long the wait, the helper's own deadline ends it.
    WineWorld::State state = world->Poll(60s);
    if (c.ready_first) {
      EXPECT_EQ(state, WineWorld::State::kReady);
      EXPECT_EQ(world->windows().GetClassName(0x10010, 100), u"");
      state = world->Poll();
    }
    EXPECT_EQ(state, WineWorld::State::kFailed);
    EXPECT_EQ(world->failure(), c.reason);
    // The tools say why, and get nothing.
    EXPECT_EQ(world->windows().CannotDo(wintools::Capability::kReadWindows), c.reason);
    EXPECT_EQ(world->windows().WindowFromPoint({1, 1}), 0);
    EXPECT_EQ(Children(), 0) << "the failed helper was not killed and collected";
  }

  // A world that is ready ends its helper when it is destroyed.
  auto ready = StartWineWorld({QUILLAN_STAND_IN_WINE, {{"STAND_IN", "hello-then-hang"}}, "k", u"p"},
                              options);
  EXPECT_EQ(ready->Poll(60s), WineWorld::State::kReady);
  EXPECT_EQ(ready->failure(), u"");
  EXPECT_EQ(Children(), 1);
  ready.reset();
  EXPECT_EQ(Children(), 0);

  // No Wine, and no helper.
  auto no_wine = StartWineWorld({"/nonexistent/wine64", {}, "k", u"p"}, options);
  EXPECT_EQ(no_wine->Poll(), WineWorld::State::kFailed);
  EXPECT_EQ(no_wine->failure(),
            u"Wine cannot be started (/nonexistent/wine64: No such file or directory).");
  options.helper = "/nonexistent/quillan-wine-helper.exe";
  auto no_helper = StartWineWorld({QUILLAN_STAND_IN_WINE, {}, "k", u"p"}, options);
  EXPECT_EQ(no_helper->Poll(), WineWorld::State::kFailed);
  EXPECT_EQ(no_helper->failure(),
            u"Quillan's Wine helper (quillan-wine-helper.exe) was not found.");
  EXPECT_EQ(Children(), 0);
  ::unsetenv("QUILLAN_TEST_LEAK");

  // The variable that names the helper wins, where it names a file.
  ::setenv("QUILLAN_WINE_HELPER", QUILLAN_STAND_IN_WINE, 1);
  EXPECT_EQ(FindWineHelper(), QUILLAN_STAND_IN_WINE);
  ::setenv("QUILLAN_WINE_HELPER", "/nonexistent/quillan-wine-helper.exe", 1);
  EXPECT_EQ(FindWineHelper(), "");
  ::unsetenv("QUILLAN_WINE_HELPER");
}

// ---- The real helper, under Wine ----

class WineHelperHarness final : public testing_support::WindowSystemHarness {
 public:
  // The helper starts once the maker runs, as for a program the user has started.
  WineHelperHarness() {
    EXPECT_EQ(maker_.error(), "");
    EXPECT_EQ(maker_.Ask("sync"), "ok");
    world_ = StartWineWorld(PrefixOfThisProcess());
    EXPECT_EQ(world_->Poll(30s), WineWorld::State::kReady) << text::ToUtf8(world_->failure());
  }
  wintools::WindowSystem& System() override { return world_->windows(); }
  Hwnd Create(std::u16string_view class_name, std::u16string_view text, Hwnd parent,
              TestRect r) override {
    return Make(parent != 0 ? "child" : "top", parent, r, class_name, text);
  }
  Hwnd CreateOwned(std::u16string_view class_name, std::u16string_view text, Hwnd owner, TestRect r,
                   bool popup) override {
    return Make(popup ? "popup" : "owned", owner, r, class_name, text);
  }
  void Destroy(Hwnd hwnd) override {
    EXPECT_EQ(maker_.Ask("destroy " + std::to_string(hwnd)), "ok");
  }
  wintools::ScreenPoint ToScreen(Hwnd hwnd, int x, int y) override {
    std::istringstream answer(maker_.Ask("screen " + std::to_string(hwnd) + " " +
                                         std::to_string(x) + " " + std::to_string(y)));
    wintools::ScreenPoint p;
    answer >> p.x >> p.y;
    return p;
  }
  void MovePointer(wintools::ScreenPoint p) override {
    EXPECT_EQ(maker_.Ask("pointer " + std::to_string(p.x) + " " + std::to_string(p.y)), "ok");
  }
  void Sync() override { EXPECT_EQ(maker_.Ask("sync"), "ok"); }

 private:
  Hwnd Make(const char* kind, Hwnd parent, TestRect r, std::u16string_view class_name,
            std::u16string_view text) {
    std::ostringstream command;
    command << "create " << kind << " " << parent << " " << r.left << " " << r.top << " " << r.right
            << " " << r.bottom << "\t" << text::ToUtf8(class_name) << "\t" << text::ToUtf8(text);
    const Hwnd made = MakeWindow(maker_, command.str());
    EXPECT_NE(made, 0) << command.str();
    return made;
  }

  WindowMakerClient maker_;
  std::unique_ptr<WineWorld> world_;
};

// The helper answers as the Win32 backend does under Wine, from another process than the
// windows'.
INSTANTIATE_TEST_SUITE_P(WineHelper, WindowSystemContract,
                         ::testing::Values(testing_support::BackendUnderTest{
                             "wine_helper",
                             {.overlapped_owner_is_parent = false,
                              .edit_text_length_from_other_process = false},
                             [] { return std::make_unique<WineHelperHarness>(); }}),
                         testing_support::BackendName);

}  // namespace
}  // namespace quillan::platform
