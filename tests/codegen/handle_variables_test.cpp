// Handle-variable discovery: splitting, extracting, de-duplicating, pausing, and the sequence
// a window-action menu item runs.

#include "codegen/handle_variables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/recorders.h"
#include "text/string_code_buffer.h"
#include "text/vb_string.h"

namespace quillan::codegen {
namespace {

using Lines = std::vector<std::u16string>;
using testing_support::RecordingMessenger;

constexpr double kDay = 86400.0;

// A clock that moves only when the pump runs; it records whether the pump ran while the
// busy sign was shown.
struct ManualTime : ui::Clock, ui::EventPump {
  double now = 0;
  double step = 0.25;
  int pumped = 0;
  int pumped_while_busy = 0;
  bool busy = false;
  std::function<void()> on_pump;

  double MonotonicSeconds() const override { return now; }
  void ProcessPendingEvents() override {
    // A pause that never ends would hang the test; fail it instead.
    if (++pumped > 100000) throw std::runtime_error("the pause does not end");
    if (busy) ++pumped_while_busy;
    if (on_pump) on_pump();
    now += step;
  }
  void ShowBusy(bool on) override { busy = on; }
};

TEST(SplitLinesToList, SplitsAtCrLfOnly) {
  struct Case {
    std::u16string text;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\n", {u"a"}},
      {u"\r\n", {u""}},
      {u"a\r\n\r\nb", {u"a", u"", u"b"}},
      {u"a\r\n\r\n", {u"a", u""}},
      {u"a\rb\nc\n\r", {u"a\rb\nc\n\r"}},
  };
  for (const Case& c : cases) {
    Lines list = {u"kept"};
    SplitLinesToList(c.text, list);
    Lines expected = {u"kept"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(list, expected) << text::ToUtf8(c.text);
  }
}

TEST(ExtractAssignedNames, TakesWhatStandsLeftOfTheFirstEquals) {
  struct Case {
    std::u16string line;
    std::optional<std::u16string> name;  // nullopt: the line yields nothing
    std::u16string line_after;           // the item as the lines list keeps it
  };
  const std::vector<Case> cases = {
      {u"hWnd = FindWindow(\"a\", vbNullString)", u"hWnd ",
       u"hWnd = FindWindow(\"a\", vbNullString)"},
      {u"x=1", u"x", u"x=1"},
      {u"Public Const SW_SHOW = 5", std::nullopt, u"Public Const SW_SHOW = 5"},
      {u"constant = 1", std::nullopt, u"constant = 1"},
      {u"myCONSTval = 1", std::nullopt, u"myCONSTval = 1"},
      {u"while x = 5", u" x ", u" x = 5"},
      {u"WHILE x = 5", u" x ", u" x = 5"},
      {u"until y = 2", u" y ", u" y = 2"},
      {u"if x = 5 then", u"x ", u"x = 5 then"},
      {u"IF x = 5 THEN", u"x ", u"x = 5 THEN"},
      {u"while if x = 1", u" if x ", u" if x = 1"},
      {u"    If x = 5 Then", u"    If x ", u"    If x = 5 Then"},
      {u"ifx = 1", u"ifx ", u"ifx = 1"},
      {u"For i = 1 To 10", u"For i ", u"For i = 1 To 10"},
      {u"x = y = 5", u"x ", u"x = y = 5"},
      {u"If a <= b Then", u"a <", u"a <= b Then"},
      {u"' a = b", u"' a ", u"' a = b"},
      {u"=5", u"", u"=5"},
      {u"Call Foo(x)", std::nullopt, u"Call Foo(x)"},
      {u"", std::nullopt, u""},
  };
  for (const Case& c : cases) {
    Lines lines = {c.line};
    Lines names;
    ExtractAssignedNames(lines, names);
    EXPECT_EQ(names, c.name ? Lines{*c.name} : Lines{}) << text::ToUtf8(c.line);
    EXPECT_EQ(lines, Lines{c.line_after}) << text::ToUtf8(c.line);
  }
}

TEST(ExtractAssignedNames, KeepsLineOrderAndRepeatsAndAppends) {
  Lines lines = {u"a = 1", u"Dim b", u"a = 2", u"c& = 3"};
  Lines names = {u"old"};
  ExtractAssignedNames(lines, names);
  EXPECT_EQ(names, (Lines{u"old", u"a ", u"a ", u"c& "}));
}

TEST(StripSpaces, RemovesOnlyTheSpaceCharacter) {
  EXPECT_EQ(StripSpaces(u" a  b "), u"ab");
  EXPECT_EQ(StripSpaces(u"a\tb\u00A0c"), u"a\tb\u00A0c");
  EXPECT_EQ(StripSpaces(u""), u"");
}

TEST(RemoveDuplicateItems, KeepsTheFirstOfEqualNames) {
  struct Case {
    Lines list;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {{}, {}},
      {{u"hWnd ", u"HWND", u"x", u"hwnd"}, {u"hWnd ", u"x"}},
      {{u"a", u"a", u"a"}, {u"a"}},
      {{u"a b", u"ab", u" AB "}, {u"a b"}},
      {{u"b", u"a", u"B", u"c", u"A"}, {u"b", u"a", u"c"}},
      {{u"\u00C9t\u00E9", u"\u00E9T\u00C9"}, {u"\u00C9t\u00E9"}},
      {{u"a\tb", u"ab"}, {u"a\tb", u"ab"}},
  };
  for (Case c : cases) {
    RemoveDuplicateItems(c.list);
    EXPECT_EQ(c.list, c.expected);
  }
}

// The walk that compares each survivor with every later item, the form the set replaces.
TEST(RemoveDuplicateItems, EqualsTheQuadraticWalk) {
  std::mt19937 random(5);
  const std::u16string alphabet = u"aAbB  ";
  for (int round = 0; round < 300; ++round) {
    Lines list(random() % 40);
    for (auto& item : list) {
      for (unsigned n = random() % 4; n > 0; --n) item.push_back(alphabet[random() % 6]);
    }
    Lines walked = list;
    for (std::size_t i = 0; i < walked.size(); ++i) {
      const std::u16string key = text::FoldCase(StripSpaces(walked[i]));
      for (std::size_t j = walked.size(); j-- > i + 1;) {
        if (text::FoldCase(StripSpaces(walked[j])) == key) walked.erase(walked.begin() + j);
      }
    }
    RemoveDuplicateItems(list);
    ASSERT_EQ(list, walked);
  }
}

TEST(Pause, EndsByTheRoundedStartShowingTheBusySign) {
  struct Case {
    const char* name;
    double start;
    int seconds;
    int rounds;  // how often the pump runs, at 0.25 s a round
  };
  const std::vector<Case> cases = {
      {"WholeSecond", 100.0, 1, 4},
      {"RoundedDown", 100.4, 1, 3},
      {"RoundedUp", 100.6, 1, 6},
      {"HalfToEvenDown", 100.5, 1, 2},
      {"HalfToEvenUp", 101.5, 1, 6},
      {"ZeroReturnsAtOnce", 100.0, 0, 0},
      {"ZeroAfterRoundingDown", 100.4, 0, 0},
      {"ZeroWaitsOutTheRoundingUp", 100.6, 0, 2},
      {"TwoSeconds", 7.0, 2, 8},
      // A monotonic clock reads past a day's seconds without wrapping.
      {"PastADay", kDay - 0.25, 1, 5},
      {"RoundsUpToADay", kDay - 0.4, 1, 6},
      {"EndsAtADay", kDay - 1.0, 1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ManualTime time;
    time.now = c.start;
    Pause(c.seconds, time, time);
    EXPECT_EQ(time.pumped, c.rounds);
    EXPECT_EQ(time.pumped_while_busy, c.rounds);
    EXPECT_FALSE(time.busy);
  }
}

// A window-action menu item: both halves, with the dialog made between them.
Discovery Discover(std::u16string_view tag, const text::CodeBuffer& buffer,
                   HandleVariableState& state, ManualTime& time, ui::Messenger& messenger) {
  TakeCodeLines(buffer, state, {time, time});
  return DiscoverHandleVariables(tag, state, {time, time}, messenger);
}

TEST(DiscoverHandleVariables, ShowsTheDistinctNamesWithTheTag) {
  text::StringCodeBuffer buffer(
      u"Dim hWnd As Long\r\nhWnd = FindWindow(\"x\", vbNullString)\r\nchild&=0\r\nHWND=3\r\n"
      u"Call ShowWindow(hWnd, 5)");
  const std::u16string before = buffer.Text();
  HandleVariableState state;
  ManualTime time;
  time.now = 3600.0;
  RecordingMessenger messenger;
  // The dialog is made after the first pause, before any name is taken.
  TakeCodeLines(buffer, state, {time, time});
  EXPECT_EQ(time.now, 3601.0);
  EXPECT_TRUE(state.names.empty());
  EXPECT_EQ(DiscoverHandleVariables(u"win - show", state, {time, time}, messenger),
            Discovery::kShowDialog);
  EXPECT_EQ(state.names, (Lines{u"hWnd ", u"child&"}));
  EXPECT_EQ(state.action_tag, u"win - show");
  EXPECT_EQ(state.code_lines.size(), 5u);
  EXPECT_TRUE(messenger.shown.empty());
  EXPECT_EQ(time.now, 3602.0);  // two pauses of one second
  EXPECT_EQ(buffer.Text(), before);
}

TEST(DiscoverHandleVariables, NoAssignmentMeansNoDialog) {
  for (std::u16string code : {u"", u"Dim x As Long\r\nCall Beep\r\n' nothing here",
                              u"Public Const A = 1\r\nConst B = 2"}) {
    text::StringCodeBuffer buffer(code);
    HandleVariableState state;
    ManualTime time;
    RecordingMessenger messenger;
    EXPECT_EQ(Discover(u"win - show", buffer, state, time, messenger), Discovery::kNoVariables);
    EXPECT_TRUE(state.code_lines.empty());
    EXPECT_TRUE(state.action_tag.empty());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, u"You have no variables in your code!");
    EXPECT_EQ(messenger.shown[0].icon, ui::MessageIcon::kExclamation);
    EXPECT_EQ(messenger.shown[0].buttons, ui::MessageButtons::kOk);
    EXPECT_EQ(time.now, 1.0);  // only the first pause ran
  }
}

// Events run during the pauses; an edit made meanwhile does not reach the names, which come
// from the lines taken before the first pause.
TEST(DiscoverHandleVariables, WorksOnTheLinesTakenBeforeThePause) {
  text::StringCodeBuffer buffer(u"a = 1\r\n");
  HandleVariableState state;
  ManualTime time;
  time.on_pump = [&] { buffer.SetText(u"b = 2\r\n"); };
  RecordingMessenger messenger;
  ASSERT_EQ(Discover(u"win - hide", buffer, state, time, messenger), Discovery::kShowDialog);
  EXPECT_EQ(state.names, Lines{u"a "});
}

// A menu item chosen during the pauses runs inside them; when the dialog it showed is
// dismissed before the first run goes on, no empty dialog follows.
TEST(DiscoverHandleVariables, NamesTakenAwayDuringTheSecondPauseShowNothing) {
  text::StringCodeBuffer buffer(u"a = 1\r\n");
  HandleVariableState state;
  ManualTime time;
  time.on_pump = [&] {
    if (time.pumped == 5) state = {};  // the second pause has begun
  };
  RecordingMessenger messenger;
  EXPECT_EQ(Discover(u"win - hide", buffer, state, time, messenger), Discovery::kNothingLeft);
  EXPECT_TRUE(messenger.shown.empty());
}

}  // namespace
}  // namespace quillan::codegen
