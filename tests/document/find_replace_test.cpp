#include "document/find_replace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recorders.h"
#include "text/string_code_buffer.h"

namespace quillan::document {
namespace {

using testing_support::RecordingMessenger;
using text::StringCodeBuffer;

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
        FindRun{"FindsAcrossLineEnds", u"a\r\nb a\r\nb", u"A\r\nB", 1, {0, 5, 0}},
        FindRun{"FoldsAccentedLetters", u"x \u00C9T\u00C9", u"\u00E9t\u00E9", 1, {2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Find, NotFoundKeepsThePositionAndTheSelection) {
  StringCodeBuffer buffer(u"Dim x\r\n", 2);
  RecordingMessenger messenger;
  FindReplace engine;
  engine.set_position(3);
  EXPECT_FALSE(engine.Find(buffer, messenger, u"Loop"));
  EXPECT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(engine.position(), 3u);
  EXPECT_EQ(buffer.SelStart(), 2u);
}

// The inserted text is not searched again (a replacement made by hand is covered by the
// editor's tests).
TEST(Replace, ReplacementHoldingTheSearchTextMovesOn) {
  StringCodeBuffer buffer(u"a a a");
  RecordingMessenger messenger;
  FindReplace engine;
  ASSERT_TRUE(engine.Find(buffer, messenger, u"a"));
  for (const char16_t* expected : {u"ba a a", u"ba ba a", u"ba ba ba"}) {
    engine.Replace(buffer, messenger, u"a", u"ba");
    EXPECT_EQ(buffer.Text(), expected);
  }
}

struct ReplaceAllCase {
  const char* name;
  std::u16string code;
  std::u16string what;
  std::u16string with;
  std::u16string expected;
  std::size_t count;
};

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceAllCase> {};

TEST_P(ReplaceAllTest, ReplacesWhatFindFindsInOneChange) {
  const ReplaceAllCase& c = GetParam();
  StringCodeBuffer buffer(c.code, c.code.size());
  RecordingMessenger messenger;
  FindReplace engine;
  engine.set_position(4);
  EXPECT_EQ(engine.ReplaceAll(buffer, messenger, c.what, c.with), c.count);
  EXPECT_EQ(buffer.Text(), c.expected);
  EXPECT_EQ(buffer.change_count(), c.expected == c.code ? 0 : 1);
  EXPECT_EQ(buffer.SelStart(), 0u);
  EXPECT_EQ(engine.position(), 4u);
  EXPECT_EQ(messenger.shown.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    ::testing::Values(
        // Only "Dim" stands in the code: it is replaced, so the report of success is true.
        ReplaceAllCase{"IgnoresCaseLikeFind", u"Dim a\r\ndim b\r\nDIM c", u"dim", u"Private",
                       u"Private a\r\nPrivate b\r\nPrivate c", 3},
        ReplaceAllCase{"LeftToRightNonOverlapping", u"aaaaa", u"aa", u"b", u"bba", 2},
        ReplaceAllCase{"EmptyReplacementDeletes", u"a, b, c", u", ", u"", u"abc", 2},
        ReplaceAllCase{"ReplacementHoldsTheSearchText", u"ab", u"a", u"aa", u"aab", 1},
        // Replacing a text by itself counts, but leaves the code (and its flag) alone.
        ReplaceAllCase{"SameTextChangesNothing", u"Dim x", u"Dim", u"Dim", u"Dim x", 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillan::document
