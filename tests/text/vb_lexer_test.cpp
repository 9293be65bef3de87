#include "text/vb_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillan::text {
namespace {

// One letter a byte: . default, c comment, s string, n number, k keyword, t type character,
// o operator, D declared name, p preprocessor.
std::string Letters(std::string_view line, bool in_comment, bool* out = nullptr) {
  std::vector<VbStyle> styles(line.size());
  const bool ends = StyleVbLine(line, in_comment, styles);
  if (out != nullptr) *out = ends;
  std::string letters;
  for (VbStyle s : styles) letters += ".csnktoDp"[static_cast<int>(s)];
  return letters;
}

TEST(StyleVbLine, KeywordsCommentsStringsNumbersAndTypeCharacters) {
  struct Case {
    const char* line;
    const char* letters;
  };
  const Case cases[] = {
      {"Dim x As Long", "kkk...kk.kkkk"},
      {"x = 1 ' note", "..o.n.cccccc"},
      {"s = \"a \"\" b\" & t$", "..o.ssssssss.o..t"},
      {"h& = &HFF& + 2.5E+3", ".t.o.nnnnt.o.nnnnnn"},
      {"REM old code", "cccccccccccc"},
      {"x = 1: Rem why", "..o.no.ccccccc"},
      {"Remove = 2", ".......o.n"},
      {"Text1.Text = Me.Caption", ".....o.....o.kko......."},
      {"Private Declare Function FindWindow Lib \"user32\"",
       "kkkkkkk.kkkkkkk.kkkkkkkk.DDDDDDDDDD.kkk.ssssssss"},
      {"#If Win32 Then", "ppp.......kkkk"},
      {"[End] = 3", "......o.n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Letters(c.line, false), c.letters) << c.line;
  }
}

TEST(StyleVbLine, OnlyAContinuedCommentCarriesOver) {
  bool ends = false;
  EXPECT_EQ(Letters("' first _", false, &ends), "ccccccccc");
  EXPECT_TRUE(ends);
  EXPECT_EQ(Letters("Dim x", true, &ends), "ccccc");
  EXPECT_FALSE(ends);
  // A continued statement is no comment, and neither is a string that ends in " _".
  EXPECT_EQ(Letters("x = 1 + _", false, &ends), "..o.n.o..");
  EXPECT_FALSE(ends);
  Letters("s = \"a _\"", false, &ends);
  EXPECT_FALSE(ends);
}

}  // namespace
}  // namespace quillan::text
