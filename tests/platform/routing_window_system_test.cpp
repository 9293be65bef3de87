// The router between X11 and the Windows programs of Wine prefixes, on an in-memory X11 screen
// and in-memory prefixes whose helpers the test starts, delays and fails.
#include "platform/routing_window_system.h"

#include <gtest/gtest.h>

#include "support/wine_fakes.h"
#include "wintools/api_spy.h"
#include "wintools/code_generator.h"

namespace quillan::platform {
namespace {

using std::chrono::milliseconds;
using testing_support::WineScreen;
using wintools::Capability;
using State = WineWorld::State;

constexpr wintools::ScreenPoint kOverNotepadsText{600, 300};
constexpr wintools::ScreenPoint kOverXterm{100, 100};

TEST(RoutingWindowSystem, APickOverAWindowsProgramIsAnsweredByItsPrefix) {
  WineScreen s;
  RoutingWindowSystem& r = *s.router;
  EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.edit);
  EXPECT_EQ(s.prefix().waits, std::vector<milliseconds>{RoutingWindowSystem::kFirstWait});
  EXPECT_EQ(r.GetClassName(s.edit, 100), u"Edit");
  EXPECT_EQ(r.GetParent(s.edit), s.notepad);
  EXPECT_EQ(r.GetWindowText(s.notepad, 100), u"Untitled - Notepad");
  // The Code Generator's walk stays in the prefix: the code finds the text box at run time.
  EXPECT_EQ(wintools::GenerateFinderCode(r, s.edit),
            u"Dim Notepad As Long\r\n"
            u"Dim Edit As Long\r\n"
            u"Notepad& = FindWindow(\"Notepad\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(Notepad&, 0&, \"Edit\", vbNullString)\r\n");
  // Operations go where the handle came from.
  EXPECT_TRUE(r.EnableWindow(s.edit, false));
  EXPECT_FALSE(s.prefix().tree.Find(s.edit)->enabled);
  EXPECT_TRUE(r.SendSetText(s.notepad, u"Renamed"));
  EXPECT_EQ(s.prefix().tree.Find(s.notepad)->text, u"Renamed");
  EXPECT_EQ(s.x11->screen.Find(s.notepad_x)->text, u"Untitled - Notepad");

  // An X11 program stays X11's, and starts no helper.
  EXPECT_EQ(r.WindowFromPoint(kOverXterm), s.xterm);
  EXPECT_EQ(r.GetClassName(s.xterm, 100), u"XTerm");
  EXPECT_EQ(s.wine.prefixes.size(), 1u);
  EXPECT_EQ(s.prefix().started, 1);

  // What can be done depends on the window's world.
  s.x11->screen.SetCannotDo(Capability::kEnableDisable, u"X11 cannot.");
  EXPECT_EQ(r.CannotDo(Capability::kEnableDisable, s.edit), u"");
  EXPECT_EQ(r.CannotDo(Capability::kEnableDisable, s.xterm), u"X11 cannot.");
  EXPECT_EQ(r.CannotDo(Capability::kEnableDisable), u"X11 cannot.");

  // The pointer and the screen are X11's.
  s.x11->screen.SetCursor({7, 8});
  s.prefix().tree.SetCursor({1, 1});
  s.x11->screen.SetPixel(kOverNotepadsText, 0x123456);
  s.prefix().tree.SetPixel(kOverNotepadsText, 0x654321);
  EXPECT_EQ(r.GetCursorPos().x, 7);
  EXPECT_EQ(r.GetCursorPos().y, 8);
  EXPECT_EQ(r.GetScreenPixel(kOverNotepadsText), 0x123456u);
  EXPECT_EQ(r.TakeNotice(), u"");
}

TEST(RoutingWindowSystem, AHelperStillStartingLeavesX11sAnswerUntilItIsReady) {
  WineScreen s;
  RoutingWindowSystem& r = *s.router;
  s.prefix().state = State::kStarting;
  // A drag begins: the helpers of the programs on the screen start, nobody waits.
  r.PrepareToPick();
  EXPECT_EQ(s.prefix().started, 1);
  EXPECT_TRUE(s.prefix().waits.empty());
  EXPECT_EQ(s.wine.prefixes.size(), 1u);
  // The first pick waits a moment, later ones not at all; meanwhile X11 answers.
  EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.notepad_x);
  EXPECT_EQ(r.GetClassName(s.notepad_x, 100), u"notepad.exe");
  EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.notepad_x);
  EXPECT_EQ(s.prefix().waits,
            (std::vector<milliseconds>{RoutingWindowSystem::kFirstWait, milliseconds(0)}));
  // Ready now: the same point gives Wine's answer, from the same helper.
  s.prefix().state = State::kReady;
  EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.edit);
  r.PrepareToPick();
  EXPECT_EQ(s.prefix().started, 1);
  EXPECT_EQ(r.TakeNotice(), u"");
}

TEST(RoutingWindowSystem, AFailedHelperIsToldOnceAndX11Answers) {
  const std::u16string told =
      u"Quillan cannot see inside the Windows programs of the Wine prefix /home/u/wine: the "
      u"helper ended. The tools show what X11 shows of them.";
  {
    WineScreen s;
    RoutingWindowSystem& r = *s.router;
    s.prefix().state = State::kFailed;
    s.prefix().why = u"the helper ended.";
    EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.notepad_x);
    EXPECT_EQ(r.TakeNotice(), told);
    EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.notepad_x);
    EXPECT_EQ(r.TakeNotice(), u"");
    EXPECT_EQ(s.prefix().started, 1);  // not started again during the drag
    // The next drag tries again: failing the same way is not told again; once the helper
    // answers, the prefix's windows are seen again.
    r.PrepareToPick();
    EXPECT_EQ(s.prefix().started, 2);
    EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.notepad_x);
    EXPECT_EQ(r.TakeNotice(), u"");
    s.prefix().state = State::kReady;
    r.PrepareToPick();
    EXPECT_EQ(s.prefix().started, 2);  // a helper that runs is kept
    EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.edit);
  }
  {
    // Failing after a pick: told once, and the picked window says why nothing works on it.
    WineScreen s;
    RoutingWindowSystem& r = *s.router;
    ASSERT_EQ(r.WindowFromPoint(kOverNotepadsText), s.edit);
    s.prefix().state = State::kFailed;
    s.prefix().why = u"the helper ended";
    EXPECT_EQ(r.TakeNotice(), told);
    EXPECT_EQ(r.TakeNotice(), u"");
    EXPECT_EQ(r.CannotDo(Capability::kShowHide, s.edit), told);
    EXPECT_EQ(r.GetClassName(s.edit, 100), u"");
    EXPECT_EQ(r.WindowFromPoint(kOverNotepadsText), s.notepad_x);
  }
}

TEST(RoutingWindowSystem, TypedHandlesAndTopLevelSearchesFindTheirWorld) {
  WineScreen s;
  RoutingWindowSystem& r = *s.router;
  // Before any helper runs, a Wine handle names nothing.
  EXPECT_EQ(r.GetClassName(s.edit, 100), u"");
  EXPECT_EQ(r.GetClassName(s.xterm, 100), u"XTerm");
  r.PrepareToPick();
  // Typed: X11's when X11 knows it, else the ready prefix's that knows it.
  EXPECT_EQ(r.GetClassName(s.edit, 100), u"Edit");
  EXPECT_TRUE(r.ShowWindow(s.edit, wintools::kSwHide));
  EXPECT_FALSE(s.prefix().tree.Find(s.edit)->visible);
  EXPECT_FALSE(r.IsWindow(0x7654321));
  // Parent 0 searches the world of the last pick, X11 before any.
  EXPECT_EQ(r.FindWindowEx(0, 0, u"Notepad"), 0);
  EXPECT_EQ(r.FindWindowEx(0, 0, u"notepad.exe"), s.notepad_x);
  ASSERT_EQ(r.WindowFromPoint({550, 120}), s.notepad);
  EXPECT_EQ(r.FindWindowEx(0, 0, u"Notepad"), s.notepad);
  EXPECT_EQ(r.FindAllWindowsEx(0, u"notepad"), std::vector<wintools::Hwnd>{s.notepad});
  ASSERT_EQ(r.WindowFromPoint(kOverXterm), s.xterm);
  EXPECT_EQ(r.FindWindowEx(0, 0, u"Notepad"), 0);
}

}  // namespace
}  // namespace quillan::platform
