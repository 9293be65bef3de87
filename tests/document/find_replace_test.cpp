#include "document/find_replace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recorders.h"
#include "text/string_code_buffer.h"

namespace quillan::document {
namespace {

using testing_support::RecordingMessenger;
using text::MessageIcon;
using text::StringCodeBuffer;

std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

struct FindRun {
  const char* name;
  std::u16string code;
  std::u16string what;
  std::size_t start_position;
  std::vector<std::size_t> selected;  // the selection's start after each press
};

class FindTest : public ::testing::TestWithParam<FindRun> {};

TEST_P(FindTest, SelectsEachOccurrenceInTurn) {
  const FindRun& run = GetParam();
  StringCodeBuffer buffer(run.code);
  RecordingMessenger messenger;
  FindReplace engine;
  engine.set_position(run.start_position);
  for (std::size_t press = 0; press < run.selected.size(); ++press) {
    SCOPED_TRACE("press " + std::to_string(press + 1));
    ASSERT_TRUE(engine.Find(buffer, messenger, run.what));
    EXPECT_EQ(buffer.SelStart(), run.selected[press]);
    EXPECT_EQ(buffer.SelLength(), run.what.size());
    EXPECT_EQ(engine.position(), run.selected[press] + 2);
  }
  EXPECT_TRUE(messenger.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, FindTest,
    ::testing::Values(
        FindRun{"IgnoresCase", u"Private Sub A()\r\nDim x\r\n", u"dim", 1, {17, 17}},
        FindRun{"StepsThroughAndWraps", u"a dim b DIM c Dim", u"dIm", 1, {2, 8, 14, 2}},
        FindRun{"FindsOverlappingOccurrences", u"aaa", u"aa", 1, {0, 1, 0}},
        // No occurrence at or after P: the first occurrence, not whatever starts the code.
        FindRun{"WrapsToTheFirstOccurrence", u"xx dim yy", u"dim", 5, {3, 3}},
        // The code became shorter than the last position: never a selection past the end.
        FindRun{"PositionPastTheEndWraps", u"Dim", u"dim", 40, {0}},
        FindRun{"OccurrenceAtPositionItself", u"ab ab", u"ab", 4, {3, 0}},
        FindRun{"FindsAcrossLineEnds", u"a\r\nb a\r\nb", u"A\r\nB", 1, {0, 5, 0}},
        FindRun{"FoldsAccentedLetters", u"x \u00C9T\u00C9", u"\u00E9t\u00E9", 1, {2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindRefusals, ShowTheirMessagesAndKeepThePosition) {
  struct Case {
    std::u16string what;
    std::u16string message;
    MessageIcon icon;
  };
  for (const Case& c : {Case{u"", u"You must enter text to search for.", MessageIcon::kExclamation},
                        Case{u"Loop", u"Search text was not found.", MessageIcon::kInformation}}) {
    SCOPED_TRACE(Narrow(c.what));
    StringCodeBuffer buffer(u"Dim x\r\n", 2);
    RecordingMessenger messenger;
    FindReplace engine;
    engine.set_position(3);
    EXPECT_FALSE(engine.Find(buffer, messenger, c.what));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, c.message);
    EXPECT_EQ(messenger.shown[0].icon, c.icon);
    EXPECT_EQ(messenger.shown[0].title, u"Quillan");
    EXPECT_EQ(engine.position(), 3u);
    EXPECT_EQ(buffer.SelStart(), 2u);
    EXPECT_EQ(buffer.SelLength(), 0u);
  }
}

TEST(Replace, ReplacesAHandMadeSelectionThenFindsTheNextOccurrence) {
  StringCodeBuffer buffer(u"x = 1: dim y");
  buffer.SetSelStart(0);
  buffer.SetSelLength(1);  // "x", not the search text
  RecordingMessenger messenger;
  FindReplace engine;
  EXPECT_TRUE(engine.Replace(buffer, messenger, u"dim", u"Dim"));
  EXPECT_EQ(buffer.Text(), u"Dim = 1: dim y");
  // The inserted text is not searched again: the next occurrence is the old one.
  EXPECT_EQ(buffer.SelStart(), 9u);
  EXPECT_EQ(buffer.SelText(), u"dim");
  EXPECT_TRUE(messenger.shown.empty());
}

TEST(Replace, ReplacementHoldingTheSearchTextMovesOn) {
  StringCodeBuffer buffer(u"a a a");
  RecordingMessenger messenger;
  FindReplace engine;
  ASSERT_TRUE(engine.Find(buffer, messenger, u"a"));
  for (const char16_t* expected : {u"ba a a", u"ba ba a", u"ba ba ba"}) {
    engine.Replace(buffer, messenger, u"a", u"ba");
    EXPECT_EQ(buffer.Text(), expected);
  }
  // Every "a" left is inside a replacement; the search wraps to the first of them.
  EXPECT_EQ(buffer.SelStart(), 1u);
}

TEST(Replace, Refusals) {
  struct Case {
    const char* name;
    std::u16string with;
    std::size_t selected;
    std::u16string message;
  };
  for (const Case& c :
       {Case{"empty replacement", u"", 3, u"You must enter text to replace."},
        Case{"no selection", u"Private", 0, u"You have no selected text to replace."}}) {
    SCOPED_TRACE(c.name);
    StringCodeBuffer buffer(u"Dim x");
    buffer.SetSelLength(c.selected);
    RecordingMessenger messenger;
    FindReplace engine;
    EXPECT_FALSE(engine.Replace(buffer, messenger, u"dim", c.with));
    EXPECT_EQ(buffer.Text(), u"Dim x");
    EXPECT_EQ(buffer.change_count(), 0);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, c.message);
    EXPECT_EQ(messenger.shown[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(engine.position(), 1u);
  }
}

TEST(Replace, LastOccurrenceReportsNothingLeft) {
  StringCodeBuffer buffer(u"Dim x");
  RecordingMessenger messenger;
  FindReplace engine;
  ASSERT_TRUE(engine.Find(buffer, messenger, u"dim"));
  EXPECT_FALSE(engine.Replace(buffer, messenger, u"dim", u"Private"));
  EXPECT_EQ(buffer.Text(), u"Private x");
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].text, u"Search text was not found.");
}

struct ReplaceAllCase {
  const char* name;
  std::u16string code;
  std::u16string what;
  std::u16string with;
  std::u16string expected;
  std::size_t count;
  int changes;  // changes of the buffer: one at most
};

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceAllCase> {};

TEST_P(ReplaceAllTest, ReplacesWhatFindFindsAndSaysSo) {
  const ReplaceAllCase& c = GetParam();
  StringCodeBuffer buffer(c.code, c.code.size());
  RecordingMessenger messenger;
  FindReplace engine;
  engine.set_position(4);
  EXPECT_EQ(engine.ReplaceAll(buffer, messenger, c.what, c.with), c.count);
  EXPECT_EQ(buffer.Text(), c.expected);
  EXPECT_EQ(buffer.change_count(), c.changes);
  EXPECT_EQ(buffer.SelStart(), 0u);
  EXPECT_EQ(engine.position(), 4u);
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].text,
            u"All instances of " + c.what + u" have been replaced with " + c.with + u".");
  EXPECT_EQ(messenger.shown[0].icon, MessageIcon::kInformation);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    ::testing::Values(
        // Only "Dim" stands in the code: it is replaced, so the report is true.
        ReplaceAllCase{"IgnoresCaseLikeFind", u"Dim x\r\n", u"dim", u"Private", u"Private x\r\n", 1,
                       1},
        ReplaceAllCase{"EveryOccurrence", u"Dim a\r\ndim b\r\nDIM c", u"dim", u"Private",
                       u"Private a\r\nPrivate b\r\nPrivate c", 3, 1},
        ReplaceAllCase{"LeftToRightNonOverlapping", u"aaaaa", u"aa", u"b", u"bba", 2, 1},
        ReplaceAllCase{"EmptyReplacementDeletes", u"a, b, c", u", ", u"", u"abc", 2, 1},
        ReplaceAllCase{"ReplacementHoldsTheSearchText", u"ab", u"a", u"aa", u"aab", 1, 1},
        ReplaceAllCase{"ShorterAndLonger", u"x\r\ny", u"\r\n", u" _\r\n    ", u"x _\r\n    y", 1,
                       1},
        // Replacing a text by itself counts, but leaves the code (and its flag) alone.
        ReplaceAllCase{"SameTextChangesNothing", u"Dim x", u"Dim", u"Dim", u"Dim x", 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceAllRefusals, ChangeNothing) {
  struct Case {
    std::u16string what;
    std::u16string message;
  };
  for (const Case& c : {Case{u"", u"You must enter text to search for."},
                        Case{u"Loop", u"Search text was not found."}}) {
    StringCodeBuffer buffer(u"Dim x");
    RecordingMessenger messenger;
    FindReplace engine;
    EXPECT_EQ(engine.ReplaceAll(buffer, messenger, c.what, u"While"), 0u);
    EXPECT_EQ(buffer.change_count(), 0);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, c.message);
  }
}

TEST(ReplaceAllThenFind, TheShorterCodeWrapsInsteadOfSelectingPastTheEnd) {
  StringCodeBuffer buffer(u"Dim aaaa\r\nDim bbbb\r\nDim cccc");
  RecordingMessenger messenger;
  FindReplace engine;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(engine.Find(buffer, messenger, u"dim"));
  ASSERT_EQ(engine.position(), 22u);
  engine.ReplaceAll(buffer, messenger, u"aaaa\r\nDim bbbb\r\nDim cccc", u"x");
  ASSERT_EQ(buffer.Text(), u"Dim x");
  ASSERT_TRUE(engine.Find(buffer, messenger, u"dim"));
  EXPECT_EQ(buffer.SelStart(), 0u);
  EXPECT_EQ(buffer.SelLength(), 3u);
}

}  // namespace
}  // namespace quillan::document
