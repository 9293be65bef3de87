#include "wintools/api_spy.h"

#include <gtest/gtest.h>

#include "platform/fake_window_system.h"

namespace quillan::wintools {
namespace {

TEST(ApiSpy, FillsTheFieldsOnlyWhenTheWindowChanges) {
  platform::FakeWindowSystem ws;
  const Hwnd top = ws.Add(u"Notepad", u"Untitled\r\n - Notepad", 0, {0, 0, 400, 300});
  const Hwnd edit = ws.Add(u"Edit", u"two\r\nlines", top, {10, 30, 390, 290});
  ApiSpy spy;
  EXPECT_EQ(spy.fields(), ApiSpyFields{});

  ws.SetCursor({50, 50});
  EXPECT_TRUE(spy.Inspect(ws));
  const ApiSpyFields child{HandleText(edit),          u"twolines", u"Edit", HandleText(top),
                           u"Untitled\r\n - Notepad", u"Notepad"};
  EXPECT_EQ(spy.fields(), child);
  // Within the same window nothing is read again, even when its text changed meanwhile.
  ws.SendSetText(edit, u"changed");
  ws.SetCursor({60, 60});
  EXPECT_FALSE(spy.Inspect(ws));
  EXPECT_EQ(spy.fields(), child);

  ws.SetCursor({5, 5});
  EXPECT_TRUE(spy.Inspect(ws));
  EXPECT_EQ(spy.fields(), (ApiSpyFields{HandleText(top), u"Untitled - Notepad", u"Notepad", u"NONE",
                                        u"NONE", u"NONE"}));
  // The bare desktop is handle 0, shown like any other.
  ws.SetCursor({900, 700});
  EXPECT_TRUE(spy.Inspect(ws));
  EXPECT_EQ(spy.fields(), (ApiSpyFields{u"0", u"", u"", u"NONE", u"NONE", u"NONE"}));
  EXPECT_EQ(spy.last_handle(), 0);
}

TEST(ApiSpy, TextsAndClassesAreCutTo99Characters) {
  platform::FakeWindowSystem ws;
  ws.Add(std::u16string(150, u'c'), std::u16string(150, u't'), 0, {0, 0, 10, 10});
  ApiSpy spy;
  ws.SetCursor({1, 1});
  spy.Inspect(ws);
  EXPECT_EQ(spy.fields().text.size(), 99u);
  EXPECT_EQ(spy.fields().class_name.size(), 99u);
  EXPECT_EQ(MakeOne(u"\ra\nb\r\n"), u"ab");
  EXPECT_EQ(HandleText(-5), u"-5");
}

}  // namespace
}  // namespace quillan::wintools
