#include "platform/fake_window_system.h"

#include <gtest/gtest.h>

#include "platform/none_window_system.h"

namespace quillan::platform {
namespace {

using wintools::Hwnd;

TEST(FakeWindowSystem, AnswersQueriesLikeTheWindowsCalls) {
  FakeWindowSystem ws;
  const Hwnd top = ws.Add(u"Notepad", u"Untitled - Notepad", 0, {0, 0, 400, 300});
  const Hwnd edit = ws.Add(u"Edit", u"hello", top, {10, 30, 390, 290});
  const Hwnd edit2 = ws.Add(u"Edit", u"", top, {0, 0, 5, 5});

  EXPECT_EQ(ws.WindowFromPoint({50, 50}), edit);
  EXPECT_EQ(ws.WindowFromPoint({5, 10}), top);
  EXPECT_EQ(ws.WindowFromPoint({500, 500}), 0);
  EXPECT_EQ(ws.GetParent(edit), top);
  EXPECT_EQ(ws.GetWindowText(top, 9), u"Untitled");
  EXPECT_EQ(ws.GetClassName(top, 100), u"Notepad");
  EXPECT_EQ(ws.GetWindowTextLength(edit), 5);
  EXPECT_EQ(ws.FindWindowEx(0, 0, u"Notepad"), top);
  EXPECT_EQ(ws.FindWindowEx(top, 0, u"Edit"), edit);
  EXPECT_EQ(ws.FindWindowEx(top, edit, u"Edit"), edit2);
  EXPECT_EQ(ws.FindWindowEx(top, edit2, u"Edit"), 0);

  ws.ShowWindow(edit, wintools::kSwHide);
  EXPECT_EQ(ws.WindowFromPoint({50, 50}), top);
  ws.SendSetText(edit, u"changed");
  ws.SendUndo(edit);
  EXPECT_EQ(ws.SendGetText(edit, 100), u"hello");
}

TEST(FakeWindowSystem, VanishedHandlesGiveZeroAndEmptyText) {
  FakeWindowSystem ws;
  const Hwnd top = ws.Add(u"Cls", u"Title");
  const Hwnd child = ws.Add(u"Btn", u"OK", top);
  ws.Remove(top);
  EXPECT_EQ(ws.GetWindowText(child, 100), u"");
  EXPECT_EQ(ws.GetParent(child), 0);
  EXPECT_FALSE(ws.ShowWindow(top, wintools::kSwShow));
  EXPECT_FALSE(ws.PostClose(child));
  EXPECT_EQ(ws.GetWindowTextLength(top), 0);
}

TEST(NoneWindowSystem, SaysWhyItSeesNothing) {
  NoneWindowSystem ws(u"no X11 display");
  EXPECT_EQ(ws.Limitation(), u"no X11 display");
  EXPECT_EQ(ws.WindowFromPoint({1, 1}), 0);
  EXPECT_EQ(ws.GetClassName(1, 100), u"");
}

}  // namespace
}  // namespace quillan::platform
