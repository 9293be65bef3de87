#include "codegen/primitives.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codegen/insert_declarations.h"
#include "codegen_test_support.h"
#include "text/vb_string.h"

namespace quillan::codegen {
namespace {

using testing::Marked;
using testing::Unmark;

text::StringCodeBuffer BufferOf(std::u16string_view marked) {
  auto [text, caret] = Unmark(marked);
  return text::StringCodeBuffer(std::move(text), caret);
}

constexpr std::u16string_view kShowWindowKey = u"Declare Function ShowWindow ";
constexpr std::u16string_view kShowWindowLine =
    u"Public Declare Function ShowWindow Lib \"user32\" (ByVal hwnd As Long, ByVal nCmdShow As "
    u"Long) As Long";

// The "win - show" window action on the variable win, as a generator runs it.
InsertionOutcome ShowWindowAction(text::CodeBuffer& buffer, bool declarations_on) {
  AppendCode(buffer, u"\r\n");
  AppendCode(buffer, u"Call ShowWindow(win, SW_SHOW)\r\n");
  if (declarations_on) {
    buffer.SetSelStart(0);
    EnsureDeclaration(buffer, kShowWindowKey, kShowWindowLine);
    EnsureDeclaration(buffer, u"Const SW_SHOW", u"Public Const SW_SHOW = 5");
  }
  return FinishInsertion(buffer, declarations_on);
}

TEST(Primitives, WorkedExample) {
  const std::u16string declarations =
      std::u16string(kShowWindowLine) + u"\r\nPublic Const SW_SHOW = 5\r\n";
  text::StringCodeBuffer buffer;
  EXPECT_TRUE(ShowWindowAction(buffer, true).finished);
  EXPECT_EQ(Marked(buffer), declarations + u"‸\r\nCall ShowWindow(win, SW_SHOW)\r\n");

  // Again: a second block, no declaration, the caret where step 4 put it.
  ShowWindowAction(buffer, true);
  EXPECT_EQ(Marked(buffer), u"‸" + declarations +
                                u"\r\nCall ShowWindow(win, SW_SHOW)\r\n"
                                u"\r\nCall ShowWindow(win, SW_SHOW)\r\n");

  text::StringCodeBuffer off;
  ShowWindowAction(off, false);
  EXPECT_EQ(Marked(off), u"\r\nCall ShowWindow(win, SW_SHOW)\r\n‸");
}

struct DeclarationCase {
  const char* name;
  std::u16string before;
  std::vector<KeyedLine> items;
  std::u16string after;
};

TEST(Primitives, EnsureDeclaration) {
  const DeclarationCase cases[] = {
      {"SubstringOfALongerName",
       u"‸Const SW_SHOWNORMAL = 1",
       {{u"Const SW_SHOW", u"Public Const SW_SHOW = 5"}},
       u"‸Const SW_SHOWNORMAL = 1"},
      {"InAComment",
       u"‸x\r\n' Const SW_SHOW",
       {{u"Const SW_SHOW", u"Public Const SW_SHOW = 5"}},
       u"‸x\r\n' Const SW_SHOW"},
      {"CaseSensitive",
       u"‸const sw_show = 5",
       {{u"Const SW_SHOW", u"Public Const SW_SHOW = 5"}},
       u"Public Const SW_SHOW = 5\r\n‸const sw_show = 5"},
      {"InsertedEarlierInTheRunCounts",
       u"‸",
       {{u"Const A", u"Public Const AB = 1"}, {u"Const AB", u"Public Const AB = 2"}},
       u"Public Const AB = 1\r\n‸"},
      {"KeyChosenNotToMatchAnEarlierLine",
       u"‸",
       {{u"Declare Function SendMessageByString ",
         u"Public Declare Function SendMessageByString Lib \"user32\""},
        {u"Declare Function SendMessage L", u"Public Declare Function SendMessage Lib \"user32\""}},
       u"Public Declare Function SendMessageByString Lib \"user32\"\r\n"
       u"Public Declare Function SendMessage Lib \"user32\"\r\n‸"},
      {"BlankFormLeavesAnEmptyLine",
       u"‸x",
       {{u"Const B", u"Public Const B = 1", true}},
       u"Public Const B = 1\r\n\r\n‸x"},
      {"AllPresentCaretStays",
       u"Const A\r\n‸Const B",
       {{u"Const A", u"Public Const A = 1"}, {u"Const B", u"Public Const B = 1"}},
       u"Const A\r\n‸Const B"},
  };
  for (const DeclarationCase& c : cases) {
    SCOPED_TRACE(c.name);
    text::StringCodeBuffer one_by_one = BufferOf(c.before);
    for (const KeyedLine& item : c.items) {
      if (item.blank) {
        EnsureDeclaration(one_by_one, item.key, item.line, Blank{});
      } else {
        EnsureDeclaration(one_by_one, item.key, item.line);
      }
    }
    EXPECT_EQ(text::ToUtf8(Marked(one_by_one)), text::ToUtf8(c.after));
    text::StringCodeBuffer batch = BufferOf(c.before);
    EnsureDeclarations(batch, c.items);
    EXPECT_EQ(text::ToUtf8(Marked(batch)), text::ToUtf8(c.after));
  }
}

TEST(Primitives, EnsureDimLine) {
  const DeclarationCase cases[] = {
      {"BelowTheLastDim",
       u"Dim a\r\nx\r\nDim b\r\ny‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"Dim a\r\nx\r\nDim b\r\nDim c As Long\r\n‸y"},
      {"ReDimIsAnAnchor",
       u"ReDim a(3)\r\nx‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"ReDim a(3)\r\nDim c As Long\r\n‸x"},
      {"CommentIsAnAnchor",
       u"' Dim here\r\nx‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"' Dim here\r\nDim c As Long\r\n‸x"},
      {"DeclareWhenNoDim",
       u"Declare Sub S Lib \"k\" ()\r\nx‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"Declare Sub S Lib \"k\" ()\r\nDim c As Long\r\n‸x"},
      {"NoAnchorGoesToTop",
       u"x\r\ndim y‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"Dim c As Long\r\n‸x\r\ndim y"},
      {"AnchorOnLastLineGoesToTop",
       u"x\r\nDim y‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"Dim c As Long\r\n‸x\r\nDim y"},
      {"AnchorOnLastLineStacksAtTop",
       u"x\r\nDim y‸",
       {{u"Dim c As", u"Dim c As Long"}, {u"Dim d As", u"Dim d As Long"}},
       u"Dim d As Long\r\n‸Dim c As Long\r\nx\r\nDim y"},
      {"PresentStillMovesTheCaret",
       u"Dim c As Byte\r\nx‸",
       {{u"Dim c As", u"Dim c As Long"}},
       u"Dim c As Byte\r\n‸x"},
      {"TwoInARowAndPresentOnesKeepTheOrder",
       u"Dim a As Long\r\n‸x",
       {{u"Dim b As", u"Dim b As Long"},
        {u"Dim a As", u"Dim a As Long"},
        {u"Dim c As", u"Dim c As Long"}},
       u"Dim a As Long\r\nDim b As Long\r\nDim c As Long\r\n‸x"},
  };
  for (const DeclarationCase& c : cases) {
    SCOPED_TRACE(c.name);
    text::StringCodeBuffer one_by_one = BufferOf(c.before);
    for (const KeyedLine& item : c.items) EnsureDimLine(one_by_one, item.key, item.line);
    EXPECT_EQ(text::ToUtf8(Marked(one_by_one)), text::ToUtf8(c.after));
    text::StringCodeBuffer batch = BufferOf(c.before);
    EnsureDimLines(batch, c.items);
    EXPECT_EQ(text::ToUtf8(Marked(batch)), text::ToUtf8(c.after));
    EXPECT_LE(batch.change_count(), 1);
  }
}

// EnsureDimLine written the plain way, with the standard library's searches.
void PlainEnsureDimLine(text::StringCodeBuffer& buffer, std::u16string_view key,
                        std::u16string_view line) {
  const std::u16string& text = buffer.Text();
  std::size_t anchor = text.rfind(u"Dim ");
  if (anchor == std::u16string::npos) anchor = text.rfind(u"Declare");
  std::size_t caret = 0;
  if (anchor != std::u16string::npos) {
    const std::size_t line_end = text.find(u"\r\n", anchor);
    if (line_end != std::u16string::npos) caret = line_end + 2;
  }
  const bool present = text.find(key) != std::u16string::npos;
  buffer.SetSelStart(caret);
  if (!present) buffer.SetSelText(std::u16string(line) + u"\r\n");
}

TEST(Primitives, EnsureDimLineMatchesThePlainSearches) {
  const std::u16string_view pieces[] = {u"Dim ",     u"Di",           u"D",    u"im ",
                                        u"Declare",  u"Declar",       u"\r\n", u"x",
                                        u"Dim a As", u"lngMidNum As", u"  "};
  std::mt19937 rng(7);
  auto pick = [&rng](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  for (int round = 0; round < 3000; ++round) {
    std::u16string text;
    const std::size_t count = pick(40);
    for (std::size_t i = 0; i < count; ++i) text += pieces[pick(std::size(pieces))];
    SCOPED_TRACE(text::ToUtf8(text));
    text::StringCodeBuffer fast(text), plain(text);
    EnsureDimLine(fast, u"Dim lngMidNum As", u"Dim lngMidNum As Long");
    PlainEnsureDimLine(plain, u"Dim lngMidNum As", u"Dim lngMidNum As Long");
    ASSERT_EQ(Marked(fast), Marked(plain));
  }
}

// The batch forms must give exactly what the calls one by one give, on any text: documents
// and items are drawn from fragments chosen to make keys straddle line ends, the caret and
// the inserted block.
TEST(Primitives, BatchFormsMatchTheCallsOneByOne) {
  const std::u16string_view fragments[] = {u"Dim ", u"Declare", u"\r\n", u"\r",       u"\n",
                                           u"Con",  u"st X",    u"X",    u"Dim a As", u" ",
                                           u"b",    u"Di",      u"m z"};
  const KeyedLine items[] = {
      {u"Const X", u"Public Const X = 1"},
      {u"st X", u"Con"},
      {u"Dim a As", u"Dim a As Long"},
      {u"Dim b As", u"Dim b As Long", true},
      {u"As Long\r\nDim", u"Dim c As Long"},
      {u"X\r\n", u"Dim X"},
      {u"b", u"Dim  b"},
      {u"Decl", u"x Dim y Dim z"},
      {u"Con", u"st X"},
      {u"", u"Dim e"},
      {u"Dim f", u"Dim f\r\nDim g"},
      {u"Q", u"Dim q\r"},
      {u"Const X", u"Dim k"},
  };
  std::mt19937 rng(4);
  auto pick = [&rng](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  for (int round = 0; round < 3000; ++round) {
    std::u16string text;
    const std::size_t pieces = pick(8);
    for (std::size_t i = 0; i < pieces; ++i) text += fragments[pick(std::size(fragments))];
    const std::size_t caret = pick(text.size() + 1);
    const std::size_t selection = pick(3);
    std::vector<KeyedLine> chosen;
    const std::size_t count = 1 + pick(4);
    for (std::size_t i = 0; i < count; ++i) chosen.push_back(items[pick(std::size(items))]);
    SCOPED_TRACE(text::ToUtf8(text) + " caret " + std::to_string(caret) + " round " +
                 std::to_string(round));

    auto fresh = [&] {
      text::StringCodeBuffer b(text, caret);
      b.SetSelLength(selection);
      return b;
    };
    text::StringCodeBuffer dims_one = fresh(), dims_batch = fresh();
    for (const KeyedLine& item : chosen) EnsureDimLine(dims_one, item.key, item.line);
    EnsureDimLines(dims_batch, chosen);
    ASSERT_EQ(Marked(dims_batch), Marked(dims_one));

    const std::u16string code = std::u16string(pick(4) == 0 ? u"" : u"\r\n") +
                                std::u16string(fragments[pick(std::size(fragments))]) +
                                std::u16string(fragments[pick(std::size(fragments))]);
    text::StringCodeBuffer append_one = fresh(), append_batch = fresh();
    AppendCode(append_one, code);
    for (const KeyedLine& item : chosen) EnsureDimLine(append_one, item.key, item.line);
    append_one.SetSelStart(append_one.Length());
    AppendCodeWithDimLines(append_batch, code, chosen);
    ASSERT_EQ(Marked(append_batch), Marked(append_one)) << text::ToUtf8(code);

    text::StringCodeBuffer decl_one = fresh(), decl_batch = fresh();
    for (const KeyedLine& item : chosen) {
      if (item.blank) {
        EnsureDeclaration(decl_one, item.key, item.line, Blank{});
      } else {
        EnsureDeclaration(decl_one, item.key, item.line);
      }
    }
    EnsureDeclarations(decl_batch, chosen);
    ASSERT_EQ(Marked(decl_batch), Marked(decl_one));
    ASSERT_EQ(decl_batch.SelLength(), decl_one.SelLength());
  }
}

TEST(InsertDeclarationsOption, LoadsByTheExactRule) {
  const struct {
    const char* stored;  // nullptr: never stored
    bool on;
  } cases[] = {{nullptr, true}, {"", true},       {"true", true},   {"True", false},
               {"TRUE", false}, {"false", false}, {" true", false}, {"1", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    settings::MemorySettingsStore store;
    if (c.stored) store.Set("decs", "value", c.stored);
    InsertDeclarations option(store);
    EXPECT_EQ(option.IsOn(), c.on);
  }
}

TEST(InsertDeclarationsOption, LiveValueStoreAndReload) {
  settings::MemorySettingsStore store;
  InsertDeclarations option(store);
  // Two windows show the option; the one that goes away must not unhook the other.
  std::vector<bool> heard;
  option.AddListener([&heard](bool on) { heard.push_back(on); });
  std::vector<bool> gone;
  const int other = option.AddListener([&gone](bool on) { gone.push_back(on); });
  EXPECT_TRUE(option.IsOn());
  option.Set(true);
  option.RemoveListener(other);

  option.Set(false);
  EXPECT_FALSE(option.IsOn());
  EXPECT_FALSE(store.Has("decs", "value"));  // toggling does not write
  option.Store();
  EXPECT_EQ(store.Get("decs", "value"), "false");

  store.Set("decs", "value", "true");
  EXPECT_FALSE(option.IsOn());  // the live value wins until the dialog is made anew
  option.Reload();
  EXPECT_TRUE(option.IsOn());
  option.Store();
  EXPECT_EQ(store.Get("decs", "value"), "true");
  EXPECT_EQ(heard, (std::vector<bool>{false, true}));
  EXPECT_TRUE(gone.empty());
}

}  // namespace
}  // namespace quillan::codegen
