#include "document/doc_names.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "document/command_line.h"

namespace quillan::document {
namespace {

// Written with "/"; each case runs once as it stands and once with every "/" a backslash,
// as the names of each system are split by its own separator only.
std::u16string On(std::u16string s, char16_t separator) {
  std::replace(s.begin(), s.end(), u'/', separator);
  return s;
}

TEST(DocNames, NamesSplitAtTheSystemsSeparatorOnly) {
  for (const char16_t sep : {u'/', u'\\'}) {
    SCOPED_TRACE(static_cast<char>(sep));
    EXPECT_EQ(FileNameFromPath(On(u"/home/ann/demo.qlp", sep), sep), u"demo.qlp");
    EXPECT_EQ(FileNameFromPath(u"demo.qlp", sep), u"");
    EXPECT_EQ(FileNameFromPath(On(u"/home/ann/", sep), sep), u"");
    EXPECT_EQ(DocNameFromCaption(u"Quillan - [Untitled]", sep), u"Untitled");
    EXPECT_EQ(DocNameFromCaption(u"Quillan - [demo.qlp]", sep), u"demo.qlp");
    // A "[" inside the file name does not confuse it: the first "[" is the title's own.
    EXPECT_EQ(DocNameFromCaption(u"Quillan - [a[1].qlp]", sep), u"a[1].qlp");
    // With a separator in the caption the name is taken after the last one.
    EXPECT_EQ(DocNameFromCaption(On(u"Quillan - [x/y[z].qlp]", sep), sep), u"y[z].qlp");
    EXPECT_EQ(DocNameFromCaption(u"Quillan", sep), u"Quilla");
    EXPECT_EQ(DocNameFromCaption(u"", sep), u"");
    EXPECT_EQ(AddBackslash(On(u"/usr/bin", sep), sep), On(u"/usr/bin/", sep));
    EXPECT_EQ(AddBackslash(On(u"/", sep), sep), On(u"/", sep));
  }
  // The other system's separator is part of a name.
  EXPECT_EQ(FileNameFromPath(u"/home/a\\b.qlp", u'/'), u"a\\b.qlp");
  EXPECT_EQ(FileNameFromPath(u"C:\\my/files.qlp", u'\\'), u"my/files.qlp");
  EXPECT_EQ(TitleForName(u"demo.qlp"), u"Quillan - [demo.qlp]");
}

}  // namespace
TEST(CommandLine, OnlyAWholeFirstOptionIsAnOption) {
  using Request = CommandLine::Request;
  const struct {
    std::vector<std::u16string> args;
    Request request;
    std::optional<std::u16string> project;
    int ignored;
  } cases[] = {
      {{}, Request::kStart, std::nullopt, 0},
      {{u"--help"}, Request::kHelp, std::nullopt, 0},
      {{u"--version", u"a.qlp"}, Request::kVersion, std::nullopt, 0},
      {{u"./--help"}, Request::kStart, u"./--help", 0},
      {{u"--", u"--help"}, Request::kStart, u"--help", 0},
      {{u"--"}, Request::kStart, std::nullopt, 0},
      {{u"-h"}, Request::kStart, u"-h", 0},
      {{u"--helpme"}, Request::kStart, u"--helpme", 0},
      {{u"a.qlp", u"--help", u"c"}, Request::kStart, u"a.qlp", 2},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.request, c.request);
    EXPECT_EQ(line.project, c.project);
    EXPECT_EQ(line.ignored, c.ignored);
  }
}

}  // namespace quillan::document
