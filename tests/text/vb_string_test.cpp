#include "text/vb_string.h"

#include <gtest/gtest.h>

namespace quillan::text {
namespace {

TEST(FindNoCase, MatchesAcrossCaseIncludingLatin1) {
  EXPECT_EQ(FindNoCase(u"Dim x As Long", u"dim"), 0u);
  EXPECT_EQ(FindNoCase(u"Dim x As Long", u"LONG"), 9u);
  EXPECT_EQ(FindNoCase(u"caf\u00C9", u"\u00E9"), 3u);
  EXPECT_EQ(FindNoCase(u"abc", u"abcd"), kNotFound);
  EXPECT_EQ(FindNoCase(u"aaa", u"aa", 1), 1u);
  EXPECT_EQ(FindNoCase(u"aaa", u"aa", 2), kNotFound);
  EXPECT_EQ(FindNoCase(u"abc", u"", 3), 3u);
  EXPECT_EQ(FindNoCase(u"abc", u"a", 4), kNotFound);
}

TEST(Utf8, RoundTripsBmpAndAstralCharacters) {
  const std::u16string s = u"A\u00E9\u20AC\U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
  EXPECT_EQ(ToUtf8(u"\u00E9"), "\xC3\xA9");
  // A lone surrogate has no UTF-8 form; it must not produce invalid bytes.
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800}) + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace quillan::text
