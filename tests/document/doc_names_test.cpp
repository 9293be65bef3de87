#include "document/doc_names.h"

#include <gtest/gtest.h>

namespace quillan::document {
namespace {

TEST(DocNames, FileNameFromPath) {
  EXPECT_EQ(FileNameFromPath(u"/home/ann/demo.qlp"), u"demo.qlp");
  EXPECT_EQ(FileNameFromPath(u"demo.qlp"), u"");
  EXPECT_EQ(FileNameFromPath(u"/home/ann/"), u"");
}

TEST(DocNames, DocNameFromCaption) {
  EXPECT_EQ(DocNameFromCaption(u"Quillan - [Untitled]"), u"Untitled");
  EXPECT_EQ(DocNameFromCaption(u"Quillan - [demo.qlp]"), u"demo.qlp");
  // A "[" inside the file name does not confuse it: the first "[" is the title's own.
  EXPECT_EQ(DocNameFromCaption(u"Quillan - [a[1].qlp]"), u"a[1].qlp");
  // With a separator in the caption the name is taken after the last one.
  EXPECT_EQ(DocNameFromCaption(u"Quillan - [x/y[z].qlp]"), u"y[z].qlp");
  EXPECT_EQ(DocNameFromCaption(u"Quillan"), u"Quilla");
  EXPECT_EQ(DocNameFromCaption(u""), u"");
}

TEST(DocNames, AddBackslashAddsOneSeparatorOnly) {
  EXPECT_EQ(AddBackslash(u"/usr/bin"), u"/usr/bin/");
  EXPECT_EQ(AddBackslash(u"/"), u"/");
  EXPECT_EQ(TitleForName(u"demo.qlp"), u"Quillan - [demo.qlp]");
}

}  // namespace
}  // namespace quillan::document
