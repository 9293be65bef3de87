#include <gtest/gtest.h>

#include "text/string_code_buffer.h"

namespace quillan::text {
namespace {

TEST(StringCodeBuffer, CaretBeyondEndGoesToEndAndClearsSelection) {
  StringCodeBuffer b(u"abc");
  b.SetSelStart(1);
  b.SetSelLength(2);
  EXPECT_EQ(b.SelText(), u"bc");
  b.SetSelStart(99);
  EXPECT_EQ(b.SelStart(), 3u);
  EXPECT_EQ(b.SelLength(), 0u);
}

TEST(StringCodeBuffer, SelTextReplacesSelectionAndLeavesCaretBehindIt) {
  StringCodeBuffer b(u"one two");
  int changes = 0;
  b.SetChangeListener([&] { ++changes; });
  b.SetSelStart(4);
  b.SetSelLength(3);
  b.SetSelText(u"2\r\n");
  EXPECT_EQ(b.Text(), u"one 2\r\n");
  EXPECT_EQ(b.SelStart(), 7u);
  EXPECT_EQ(b.SelLength(), 0u);
  EXPECT_EQ(changes, 1);
}

TEST(StringCodeBuffer, SelLengthIsClampedToTheEnd) {
  StringCodeBuffer b(u"abc");
  b.SetSelStart(2);
  b.SetSelLength(10);
  EXPECT_EQ(b.SelLength(), 1u);
}

}  // namespace
}  // namespace quillan::text
