// Dim All Variables: the names it derives, where its lines go, and the one-pass declaration
// compared with declaring the names one by one on many random documents.

#include "codegen/dim_all.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codegen_test_support.h"
#include "support/recorders.h"
#include "text/string_code_buffer.h"
#include "text/vb_string.h"

namespace quillan::codegen {
namespace {

using testing::Marked;
using testing::Unmark;
using testing_support::RecordingMessenger;

// A clock standing on a whole second: every Pause(0) returns at once.
struct StillTime : ui::Clock, ui::EventPump {
  int pumped = 0;
  double MonotonicSeconds() const override { return 5000.0; }
  void ProcessPendingEvents() override { ++pumped; }
  void ShowBusy(bool) override {}
};

TEST(DeriveDimVariable, TypeCharacterAndWholeWordKeywords) {
  struct Case {
    std::u16string assigned;
    std::u16string name;
    int type_code;
  };
  const std::vector<Case> cases = {
      {u"x& ", u"x", 1},
      {u"n%", u"n", 2},
      {u"s$ ", u"s", 3},
      {u"f!", u"f", 4},
      {u"d# ", u"d", 5},
      {u"c@", u"c", 6},
      {u"total ", u"total", 7},
      {u"For i% ", u"i", 2},
      {u"FOR  j# ", u"j", 5},
      {u"    If x ", u"x", 7},
      {u"Do While n ", u"n", 7},
      {u"do   while n ", u"n", 7},
      {u"Loop Until done ", u"done", 7},
      {u"If(x) ", u"(x)", 7},
      {u"For If y ", u"y", 7},
      // Keywords that are only the start of a longer word stay.
      {u"format$ ", u"format", 3},
      {u"ifCount% ", u"ifCount", 2},
      {u"Fortune& ", u"Fortune", 1},
      {u"DoWhile ", u"DoWhile", 7},
      {u"Do Whilex ", u"DoWhilex", 7},
      {u"LoopUntil ", u"LoopUntil", 7},
      {u"For_x ", u"For_x", 7},
      {u"If2 ", u"If2", 7},
      // Names are not checked: whatever the scan cuts out is declared.
      {u"arr(1) ", u"arr(1)", 7},
      {u"Me.Caption$ ", u"Me.Caption", 3},
      {u"' a ", u"'a", 7},
      {u"a b c ", u"abc", 7},
      {u"If", u"", 7},
      {u"", u"", 7},
      {u"&", u"", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeriveDimVariable(c.assigned), (DimVariable{c.name, c.type_code}))
        << text::ToUtf8(c.assigned);
  }
  EXPECT_EQ(TypeText(1), u" As Long");
  EXPECT_EQ(TypeText(6), u" As Currency");
  EXPECT_EQ(TypeText(7), u"");
}

// Runs the command; returns the text with the caret marked.
std::u16string DimAll(std::u16string_view marked, RecordingMessenger& messenger) {
  auto [text, caret] = Unmark(marked);
  text::StringCodeBuffer buffer(text, caret);
  StillTime time;
  DimAllVariables(buffer, {time, time}, messenger);
  return Marked(buffer);
}

TEST(DimAllVariables, PlacesAndSkipsLines) {
  struct Case {
    const char* name;
    std::u16string before;  // ‸ marks the caret
    std::u16string after;
  };
  const std::vector<Case> cases = {
      {"WorkedExample",
       u"‸Dim a As Long\r\nx& = 5\r\ns$ = t$\r\nFor i% = 1 To 3\r\ntotal = total + i%\r\nNext",
       u"Dim a As Long\r\nDim x As Long\r\nDim s As String\r\nDim i As Integer\r\nDim total\r\n"
       u"‸x& = 5\r\ns$ = t$\r\nFor i% = 1 To 3\r\ntotal = total + i%\r\nNext"},
      {"NoAnchorGoesToTheTop", u"x& = 1\r\ny = 2\r\n‸",
       u"Dim x As Long\r\nDim y\r\n‸x& = 1\r\ny = 2\r\n"},
      {"BelowTheLastDeclare", u"Declare Function F Lib \"k\" ()\r\nx = 1\r\n",
       u"Declare Function F Lib \"k\" ()\r\nDim x\r\n‸x = 1\r\n"},
      {"DimInAProcedureIsTheAnchor", u"Sub A()\r\n    Dim q\r\n    x = 1\r\nEnd Sub\r\n",
       u"Sub A()\r\n    Dim q\r\nDim x\r\n‸    x = 1\r\nEnd Sub\r\n"},
      {"SecondTypeOfANameFindsTheFirstDeclared", u"x& = 1\r\nx% = 2\r\n",
       u"Dim x As Long\r\n‸x& = 1\r\nx% = 2\r\n"},
      {"LongerDeclaredNameCounts", u"Dim abc As Long\r\na = 1\r\n",
       u"Dim abc As Long\r\n‸a = 1\r\n"},
      {"CommentCounts", u"' Dim a\r\na = 1\r\n", u"' Dim a\r\n‸a = 1\r\n"},
      {"LowerCaseDimIsNothing", u"dim x\r\nx = 1\r\n", u"Dim x\r\n‸dim x\r\nx = 1\r\n"},
      {"KeywordOnlyAsAWord", u"Dim z\r\nformat$ = \"a\"\r\nifCount% = 1\r\nIf q = 1 Then",
       u"Dim z\r\nDim format As String\r\nDim ifCount As Integer\r\nDim q\r\n‸format$ = \"a\"\r\n"
       u"ifCount% = 1\r\nIf q = 1 Then"},
      {"IndentedIf", u"    If x = 1 Then\r\n", u"Dim x\r\n‸    If x = 1 Then\r\n"},
      {"AnchorWithoutLineEndSendsEachLineToTheTop", u"a = 1\r\nb = 2\r\nDim z",
       u"Dim b\r\n‸Dim a\r\na = 1\r\nb = 2\r\nDim z"},
      {"StuckAnchorAndTheLastAlreadyDeclared", u"a = 1\r\nz = 2\r\nDim z",
       u"‸Dim a\r\na = 1\r\nz = 2\r\nDim z"},
      {"AllDeclaredLeavesTheCaretBelowTheAnchor", u"Dim x\r\nDim y\r\nx = 1\r\ny = 2‸",
       u"Dim x\r\nDim y\r\n‸x = 1\r\ny = 2"},
      {"RepeatedNamesOnce", u"Dim q\r\nhWnd = 1\r\nHWND = 2\r\nh Wnd = 3\r\n",
       u"Dim q\r\nDim hWnd\r\n‸hWnd = 1\r\nHWND = 2\r\nh Wnd = 3\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingMessenger messenger;
    EXPECT_EQ(DimAll(c.before, messenger), c.after);
    EXPECT_TRUE(messenger.shown.empty());
  }
}

TEST(DimAllVariables, SecondRunAddsNothing) {
  text::StringCodeBuffer buffer(u"x& = 1\r\nFor i = 1 To 2\r\nNext\r\n");
  StillTime time;
  RecordingMessenger messenger;
  DimAllVariables(buffer, {time, time}, messenger);
  const std::u16string once = buffer.Text();
  const int changes = buffer.change_count();
  EXPECT_GT(changes, 0);  // the document is modified
  DimAllVariables(buffer, {time, time}, messenger);
  EXPECT_EQ(buffer.Text(), once);
  EXPECT_EQ(buffer.change_count(), changes);
}

TEST(DimAllVariables, NoAssignmentIsRefused) {
  for (std::u16string code : {u"", u"Call Beep\r\nDim x", u"Const A = 1\r\n"}) {
    RecordingMessenger messenger;
    EXPECT_EQ(DimAll(u"‸" + code, messenger), u"‸" + code);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, u"You have no variables in your code!");
    EXPECT_EQ(messenger.shown[0].icon, ui::MessageIcon::kExclamation);
  }
}

// The straightforward form: each variable on the text as the previous one left it.
void DeclareOneByOne(text::CodeBuffer& buffer, std::vector<std::u16string> names) {
  if (names.empty()) return;
  RemoveDuplicateItems(names);
  for (const std::u16string& name : names) {
    const DimVariable v = DeriveDimVariable(name);
    DeclareVariable(buffer, v.name, v.type_code);
  }
}

// Random documents built from the pieces that matter: Dim and Declare anchors (also without
// a line end, in comments, in lower case), names that contain or prefix one another, type
// characters, keywords, stray CR and LF, and empty lines.
std::u16string RandomDocument(std::mt19937& random) {
  static const std::vector<std::u16string> pieces = {
      u"Dim ", u"Dim",    u"dim ",   u"Declare",   u"ReDim ",      u"a",      u"ab",   u"b",
      u"abc",  u"x",      u"Dimx",   u"&",         u"%",           u"$",      u"!",    u"#",
      u"@",    u" ",      u" ",      u"=",         u"=",           u"= 1",    u"For ", u"If ",
      u"if ",  u"while ", u"until ", u"Do While ", u"Loop Until ", u"Const ", u"'",    u"\r\n",
      u"\r\n", u"\r\n",   u"\r",     u"\n",        u" As Long",    u"(1)",    u".",
  };
  std::u16string doc;
  for (unsigned n = random() % 60; n > 0; --n) doc += pieces[random() % pieces.size()];
  return doc;
}

TEST(DeclareAllVariables, EqualsDeclaringOneByOneOnRandomDocuments) {
  std::mt19937 random(20261209);
  int with_insertions = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::u16string doc = RandomDocument(random);
    std::vector<std::u16string> lines;
    std::vector<std::u16string> names;
    SplitLinesToList(doc, lines);
    ExtractAssignedNames(lines, names);
    const std::size_t caret = doc.empty() ? 0 : random() % (doc.size() + 1);
    const std::size_t selection = random() % 3;

    text::StringCodeBuffer fast(doc, caret);
    fast.SetSelLength(selection);
    text::StringCodeBuffer slow(doc, caret);
    slow.SetSelLength(selection);
    std::vector<std::u16string> fast_names = names;
    const int base_changes = fast.change_count();
    DeclareAllVariables(fast, fast_names);
    DeclareOneByOne(slow, names);

    ASSERT_EQ(fast.Text(), slow.Text()) << "document: " << text::ToUtf8(doc);
    ASSERT_EQ(fast.SelStart(), slow.SelStart()) << "document: " << text::ToUtf8(doc);
    ASSERT_EQ(fast.SelLength(), slow.SelLength()) << "document: " << text::ToUtf8(doc);
    // Every insertion reaches the document as a change.
    ASSERT_EQ(fast.Text() != doc, fast.change_count() > base_changes);
    if (fast.Text() != doc) ++with_insertions;
  }
  // The documents exercise the insertions, not only the early returns.
  EXPECT_GT(with_insertions, 5000);
}

}  // namespace
}  // namespace quillan::codegen
