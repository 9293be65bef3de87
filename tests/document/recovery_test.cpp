#include "document/recovery.h"

#include <gtest/gtest.h>

namespace quillan::document {
namespace {

TEST(RecoveryCopy, ReadsBackWhatWasWritten) {
  RecoveryInfo info;
  // A backslash, a line end, a stray byte of a non-UTF-8 name and a character beyond the BMP.
  info.path = u"/home/me/a\\b\nc\xDC\xE9d\U0001F600.qlp";
  info.encoding = Encoding::kUtf16Be;
  info.written_at = 1796870000;
  info.disk = Document::DiskState{FileStamp{64769, 1234567, 42, -5, true}, 0xFFFFFFFFFFFFFFFFull};
  const std::string text("x = 1\r\n\0y\r\n", 11);
  const std::string bytes = RecoveryHeader(info, text.size()) + text;
  const auto copy = ParseRecoveryCopy(bytes);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->info.path, info.path);
  EXPECT_EQ(copy->info.encoding, info.encoding);
  EXPECT_EQ(copy->info.written_at, info.written_at);
  ASSERT_TRUE(copy->info.disk);
  EXPECT_TRUE(copy->info.disk->stamp.SameFileState(info.disk->stamp));
  EXPECT_TRUE(copy->info.disk->stamp.racy);
  EXPECT_EQ(copy->info.disk->content_hash, info.disk->content_hash);
  EXPECT_EQ(copy->text, text);

  RecoveryInfo untitled;
  const auto plain = ParseRecoveryCopy(RecoveryHeader(untitled, 0));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->info.path, u"");
  EXPECT_FALSE(plain->info.disk);
  EXPECT_EQ(plain->text, "");
}

TEST(RecoveryCopy, RefusesWhatIsNotAWholeCopy) {
  RecoveryInfo info;
  info.path = u"/p.qlp";
  const std::string good = RecoveryHeader(info, 3) + "abc";
  ASSERT_TRUE(ParseRecoveryCopy(good));
  const std::string header_without_text = good.substr(0, good.size() - 3);
  for (const std::string& bad : std::initializer_list<std::string>{
           std::string(), good.substr(0, good.size() - 1),    // cut short
           good + "d",                                        // longer than it says
           "Quillan recovery copy 2\n" + good.substr(24),     // another version
           header_without_text.substr(0, good.find("text")),  // no text line
           std::string(good).replace(good.find("utf-8"), 5, "ebcdic"),
           std::string(good).replace(good.find("written ") + 8, 1, "x"),
           "Quillan recovery copy 1\npath a\\q\nencoding utf-8\ntext 0\n",  // bad escape
           "Quillan recovery copy 1\nencoding utf-8\ntext 0\n",             // no path
       }) {
    EXPECT_FALSE(ParseRecoveryCopy(bad)) << bad;
  }
}

TEST(RecoveryCopy, FirstLineSkipsBlankLinesAndIsCut) {
  EXPECT_EQ(FirstLineOf("\r\n  \t\r\n   Sub Main()  \r\nEnd Sub", 60), u"Sub Main()");
  EXPECT_EQ(FirstLineOf("\r\n \r\n", 60), u"");
  EXPECT_EQ(FirstLineOf("abcdefghij", 5), u"abcd\u2026");
  EXPECT_EQ(FirstLineOf("\xC3\xA9t\xC3\xA9", 60), u"\u00E9t\u00E9");
}

}  // namespace
}  // namespace quillan::document
