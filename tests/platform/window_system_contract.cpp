#include "platform/window_system_contract.h"

namespace quillan::testing_support {
namespace {

using wintools::Hwnd;

TEST_P(WindowSystemContract, AnswersQueriesLikeTheWindowsCalls) {
  const Hwnd top = harness().Create(u"Notepad", u"Untitled - Notepad", 0, {100, 100, 500, 400});
  const Hwnd edit = harness().Create(u"Edit", u"hello", top, {10, 30, 390, 290});
  const Hwnd edit2 = harness().Create(u"Edit", u"", top, {0, 0, 5, 5});
  harness().Sync();

  EXPECT_EQ(ws().WindowFromPoint(harness().ToScreen(edit, 40, 20)), edit);
  harness().MovePointer(harness().ToScreen(edit, 5, 6));
  harness().Sync();
  const wintools::ScreenPoint pointer = ws().GetCursorPos();
  EXPECT_EQ(ws().WindowFromPoint(pointer), edit);
  EXPECT_EQ(pointer.x, harness().ToScreen(edit, 5, 6).x);
  EXPECT_EQ(ws().GetParent(edit), top);
  EXPECT_EQ(ws().GetWindowText(top, 9), u"Untitled");
  EXPECT_EQ(ws().GetWindowText(top, 0), u"");
  EXPECT_EQ(ws().GetClassName(top, 100), u"Notepad");
  EXPECT_EQ(ws().GetClassName(top, 4), u"Not");
  EXPECT_EQ(ws().GetWindowTextLength(edit), expect().edit_text_length_from_other_process ? 5 : 0);
  EXPECT_EQ(ws().FindWindowEx(0, 0, u"Notepad"), top);
  EXPECT_EQ(ws().FindWindowEx(top, 0, u"Edit"), edit);
  EXPECT_EQ(ws().FindWindowEx(top, edit, u"Edit"), edit2);
  EXPECT_EQ(ws().FindWindowEx(top, edit2, u"Edit"), 0);
  // Class names compare without regard to case, as on Windows.
  EXPECT_EQ(ws().FindWindowEx(0, 0, u"NOTEPAD"), top);
  EXPECT_EQ(ws().FindWindowEx(top, 0, u"edit"), edit);
  // All of a class at once, in the same order.
  EXPECT_EQ(ws().FindAllWindowsEx(top, u"EDIT"), (std::vector<Hwnd>{edit, edit2}));
  EXPECT_EQ(ws().FindAllWindowsEx(0, u"notepad"), std::vector<Hwnd>{top});
  EXPECT_TRUE(ws().FindAllWindowsEx(edit, u"Edit").empty());
}

TEST_P(WindowSystemContract, ChangesReachTheWindow) {
  using wintools::Capability;
  const Hwnd top = harness().Create(u"Cls", u"Title", 0, {100, 100, 500, 400});
  const Hwnd edit = harness().Create(u"Edit", u"hello", top, {10, 30, 390, 290});
  harness().Sync();
  const wintools::ScreenPoint inside = harness().ToScreen(edit, 40, 20);
  EXPECT_EQ(ws().CannotDo(Capability::kShowHide), u"");
  EXPECT_TRUE(ws().ShowWindow(edit, wintools::kSwHide));
  harness().Sync();
  EXPECT_EQ(ws().WindowFromPoint(inside), top);
  EXPECT_TRUE(ws().ShowWindow(edit, wintools::kSwShow));
  harness().Sync();
  EXPECT_EQ(ws().WindowFromPoint(inside), edit);

  EXPECT_EQ(ws().CannotDo(Capability::kEnableDisable).empty(), expect().can_enable);
  EXPECT_EQ(ws().EnableWindow(edit, false), expect().can_enable);
  harness().Sync();
  const bool passed_over = expect().can_enable && expect().skips_disabled_children;
  EXPECT_EQ(ws().WindowFromPoint(inside), passed_over ? top : edit);
  ws().EnableWindow(edit, true);
  harness().Sync();
  EXPECT_EQ(ws().WindowFromPoint(inside), edit);

  EXPECT_EQ(ws().CannotDo(Capability::kMinimizeMaximize).empty(), expect().can_minimize);
  EXPECT_EQ(ws().ShowWindow(top, wintools::kSwMinimize), expect().can_minimize);
  harness().Sync();
  // Restoring shows the window again everywhere, with or without a window manager.
  EXPECT_TRUE(ws().ShowWindow(top, wintools::kSwRestore));
  // A window manager restores in its own time.
  for (int i = 0; i < 100 && ws().WindowFromPoint(inside) != edit; ++i) harness().Sync();
  EXPECT_EQ(ws().WindowFromPoint(inside), edit);

  EXPECT_EQ(ws().CannotDo(Capability::kSetText), u"");
  EXPECT_TRUE(ws().SendSetText(top, u"changed \u0416"));
  harness().Sync();
  EXPECT_EQ(ws().SendGetText(top, 100), u"changed \u0416");
  EXPECT_EQ(ws().SendGetText(top, 4), u"cha");
  EXPECT_EQ(ws().SendGetTextLength(top), 9);
  EXPECT_EQ(ws().GetWindowText(top, 100), u"changed \u0416");
}

TEST_P(WindowSystemContract, OwnedWindowsAreTopLevelAndMayReportTheirOwner) {
  const Hwnd main = harness().Create(u"QuillanTestMain", u"Main", 0, {100, 100, 400, 300});
  const Hwnd dialog =
      harness().CreateOwned(u"#32770", u"Options", main, {450, 100, 650, 250}, true);
  const Hwnd tool = harness().CreateOwned(u"ToolWin", u"Tools", main, {700, 100, 800, 200}, false);
  const Hwnd button = harness().Create(u"Button", u"OK", dialog, {10, 10, 80, 40});
  harness().Sync();
  EXPECT_EQ(ws().GetParent(main), 0);
  EXPECT_EQ(ws().GetParent(dialog), main);
  EXPECT_EQ(ws().GetParent(tool), expect().overlapped_owner_is_parent ? main : 0);
  EXPECT_EQ(ws().GetParent(button), dialog);
  // Owned windows are found among the top-level windows, not under their owner.
  EXPECT_EQ(ws().FindWindowEx(0, 0, u"#32770"), dialog);
  EXPECT_EQ(ws().FindWindowEx(main, 0, u"#32770"), 0);
  EXPECT_EQ(ws().FindWindowEx(dialog, 0, u"Button"), button);
}

TEST_P(WindowSystemContract, VanishedHandlesGiveZeroAndEmptyText) {
  const Hwnd top = harness().Create(u"Cls", u"Title", 0, {100, 100, 300, 300});
  const Hwnd child = harness().Create(u"Btn", u"OK", top, {10, 10, 50, 50});
  harness().Sync();
  EXPECT_TRUE(ws().IsWindow(top));
  EXPECT_TRUE(ws().IsWindow(child));
  EXPECT_FALSE(ws().IsWindow(0));
  // Where the windows are: the child exactly, the top-level around it.
  const wintools::ScreenPoint corner = harness().ToScreen(child, 0, 0);
  EXPECT_EQ(ws().GetWindowRect(child),
            (wintools::ScreenRect{corner.x, corner.y, corner.x + 40, corner.y + 40}));
  const wintools::ScreenRect outer = ws().GetWindowRect(top);
  EXPECT_TRUE(outer.left <= corner.x && outer.top <= corner.y && outer.right >= corner.x + 40 &&
              outer.bottom >= corner.y + 40);
  harness().Destroy(top);
  harness().Sync();
  EXPECT_TRUE(ws().GetWindowRect(child).empty());
  EXPECT_FALSE(ws().IsWindow(top));
  EXPECT_FALSE(ws().IsWindow(child));
  EXPECT_EQ(ws().GetWindowText(child, 100), u"");
  EXPECT_EQ(ws().GetClassName(top, 100), u"");
  EXPECT_EQ(ws().GetParent(child), 0);
  EXPECT_EQ(ws().GetWindowTextLength(top), 0);
  EXPECT_EQ(ws().FindWindowEx(top, 0, u"Btn"), 0);
  EXPECT_FALSE(ws().ShowWindow(top, wintools::kSwShow));
  EXPECT_FALSE(ws().EnableWindow(child, false));
  EXPECT_FALSE(ws().PostClose(child));
  EXPECT_FALSE(ws().SendSetText(child, u"x"));
}

TEST_P(WindowSystemContract, PixelsOffTheScreenAreInvalid) {
  EXPECT_EQ(ws().GetScreenPixel({-5, -5}), wintools::kClrInvalid);
  EXPECT_EQ(ws().GetScreenPixel({1 << 20, 1 << 20}), wintools::kClrInvalid);
  EXPECT_EQ(ws().CannotDo(wintools::Capability::kReadScreen), u"");
  EXPECT_NE(ws().GetScreenPixel({0, 0}), wintools::kClrInvalid);
  // A block across the screen's corner: the pixels on it as one by one, the others invalid.
  const std::vector<std::uint32_t> block = ws().GetScreenPixels({-1, -1, 2, 1});
  ASSERT_EQ(block.size(), 6u);
  EXPECT_EQ(block[0], wintools::kClrInvalid);
  EXPECT_EQ(block[3], wintools::kClrInvalid);
  EXPECT_EQ(block[4], ws().GetScreenPixel({0, 0}));
  EXPECT_EQ(block[5], ws().GetScreenPixel({1, 0}));
  EXPECT_TRUE(ws().GetScreenPixels({5, 5, 5, 9}).empty());
}

}  // namespace
}  // namespace quillan::testing_support
