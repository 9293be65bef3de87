#include "help/help_topics.h"

#include <gtest/gtest.h>

#include "support/golden.h"
#include "text/vb_string.h"

namespace quillan::help {
namespace {

// Every description of both lists, as the help window shows it, entry by entry, is kept in
// golden/descriptions.txt: "@ contents N" or "@ index N", then the text, whose CR LF line
// breaks are the file's line ends (a lone CR or LF shows as <CR> or <LF>). To record an
// intended change, run the test with QUILLAN_UPDATE_GOLDEN=1 and review the file's diff.
void Describe(std::string_view list, std::size_t entry, std::u16string_view text,
              std::string& out) {
  out += "@ " + std::string(list) + " " + std::to_string(entry) + "\n";
  const std::string utf8 = text::ToUtf8(text);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8.compare(i, 2, "\r\n") == 0) {
      out += '\n';
      ++i;
    } else if (utf8[i] == '\r' || utf8[i] == '\n') {
      out += utf8[i] == '\r' ? "<CR>" : "<LF>";
    } else {
      out += utf8[i];
    }
  }
  out += '\n';
}

TEST(HelpTopics, EveryEntryOfBothListsShowsItsDescription) {
  ASSERT_EQ(ContentsEntries().size(), 21u);
  ASSERT_EQ(IndexEntries().size(), 50u);
  std::string seen = "# The help window's descriptions; help_topics_test.cpp tells the form.\n";
  for (bool index : {false, true}) {
    const std::size_t count = (index ? IndexEntries() : ContentsEntries()).size();
    for (std::size_t entry = 0; entry < count; ++entry) {
      const auto text = index ? IndexDescription(entry) : ContentsDescription(entry);
      ASSERT_TRUE(text) << index << " " << entry;
      Describe(index ? "index" : "contents", entry, *text, seen);
    }
  }
  EXPECT_EQ(seen, testing_support::Golden(QUILLAN_HELP_GOLDEN_DIR "/descriptions.txt", seen));
  EXPECT_FALSE(ContentsDescription(21));
  EXPECT_EQ(IndexEntries()[9], u"    Loop Until Win...");
  EXPECT_EQ(IndexEntries()[10], u"    Loop Until Win...");
}

TEST(HelpTopics, SearchWalksForwardAndStopsAtTheEnd) {
  // "spy" from nothing selected: API Spy, Color Spy, Window Spy, then nothing more.
  std::optional<std::size_t> at;
  std::vector<std::u16string_view> found;
  while ((at = SearchIndex(at, u"SPY"))) found.push_back(IndexEntries()[*at]);
  EXPECT_EQ(found, (std::vector<std::u16string_view>{u"API Spy", u"Color Spy", u"Window Spy"}));
  EXPECT_EQ(SearchIndex(std::nullopt, u""), 0u);
  EXPECT_EQ(SearchIndex(3, u""), 4u);
  EXPECT_FALSE(SearchIndex(49, u""));
  EXPECT_TRUE(WelcomeText(u"a@b").ends_with(u"feel free to email me: a@b.\r\n"));
}

}  // namespace
}  // namespace quillan::help
