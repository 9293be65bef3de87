#include "wintools/window_spy.h"

#include <gtest/gtest.h>

#include "platform/fake_window_system.h"

namespace quillan::wintools {
namespace {

TEST(ParseHandle, OnlyWholeNumbersThatFitAHandle) {
  const std::pair<std::u16string, std::optional<Hwnd>> cases[] = {
      {u"0", 0},
      {u"65552", 65552},
      {u"-5", -5},
      {u"2147483647", 2147483647},
      {u"", std::nullopt},
      {u"12a", std::nullopt},
      {u" 12", std::nullopt},
      {u"2147483648", std::nullopt},
      {u"1.5", std::nullopt},
      {u"\u0661", std::nullopt},
  };
  for (const auto& [text, handle] : cases) EXPECT_EQ(ParseHandle(text), handle) << text.size();
}

TEST(ReadoutOf, TheWorkedValues) {
  const std::pair<std::uint32_t, ColorReadout> cases[] = {
      {255, {u"255", u"#FF0000", u"255", u"0", u"0"}},
      {16711680, {u"16711680", u"#0000FF", u"0", u"0", u"255"}},
      {0, {u"0", u"#000000", u"0", u"0", u"0"}},
      {16777215, {u"16777215", u"#FFFFFF", u"255", u"255", u"255"}},
      {15 * 65536, {u"983040", u"#00000F", u"0", u"0", u"15"}},
      {0x123456, {u"1193046", u"#563412", u"86", u"52", u"18"}},
  };
  for (const auto& [value, readout] : cases) EXPECT_EQ(ReadoutOf(value), readout) << value;
  // The forms Visual Basic code takes, blue first in the hexadecimal Long.
  EXPECT_EQ(VbHexOf(255), u"&H000000FF&");
  EXPECT_EQ(VbHexOf(0x123456), u"&H00123456&");
  EXPECT_EQ(VbHexOf(16777215), u"&H00FFFFFF&");
  EXPECT_EQ(VbRgbOf(0x123456), u"RGB(86, 52, 18)");
  EXPECT_EQ(VbRgbOf(0), u"RGB(0, 0, 0)");
}

TEST(WindowSpy, ActionsReadAndWriteOnTheFakeTree) {
  platform::FakeWindowSystem ws;
  const Hwnd h = ws.Add(u"Edit", u"caption");
  const std::pair<SpyAction, int> show_states[] = {{SpyAction::kHide, kSwHide},
                                                   {SpyAction::kShow, kSwShow},
                                                   {SpyAction::kMinimize, kSwMinimize},
                                                   {SpyAction::kMaximize, kSwMaximize},
                                                   {SpyAction::kRestore, kSwRestore}};
  for (const auto& [action, state] : show_states) {
    RunSpyAction(ws, h, action);
    EXPECT_EQ(ws.Find(h)->show_state, state);
  }
  RunSpyAction(ws, h, SpyAction::kDisable);
  EXPECT_FALSE(ws.Find(h)->enabled);
  RunSpyAction(ws, h, SpyAction::kEnable);
  EXPECT_TRUE(ws.Find(h)->enabled);
  RunSpyAction(ws, h, SpyAction::kClose);
  EXPECT_TRUE(ws.Find(h)->close_requested);
  RunSpyAction(ws, 12345, SpyAction::kHide);  // names no window: nothing

  EXPECT_EQ(ReadCaption(ws, h), u"caption");
  WriteText(ws, h, u"changed");
  EXPECT_EQ(ReadText(ws, h), u"changed");
  EXPECT_EQ(ReadCaption(ws, 12345), u"");

  ws.SetCannotDo(Capability::kEnableDisable, u"not here");
  EXPECT_EQ(SpyActionLimit(ws, SpyAction::kDisable), u"not here");
  EXPECT_EQ(SpyActionLimit(ws, SpyAction::kHide), u"");
}

TEST(ColorSpy, AnUnreadablePixelKeepsTheLastValues) {
  platform::FakeWindowSystem ws;
  ws.SetPixel({1, 1}, 255);
  ColorSpy spy;
  ws.SetCursor({1, 1});
  EXPECT_TRUE(spy.Sample(ws));
  EXPECT_FALSE(spy.Sample(ws));  // the same colour: no repaint
  EXPECT_EQ(spy.readout().html, u"#FF0000");
  ws.SetCursor({-1, -1});  // off the screen: CLR_INVALID
  EXPECT_FALSE(spy.Sample(ws));
  EXPECT_EQ(spy.swatch(), 255u);
  EXPECT_EQ(spy.readout().color, u"255");
}

}  // namespace
}  // namespace quillan::wintools
