#include "wintools/code_generator.h"

#include <gtest/gtest.h>

#include "platform/fake_window_system.h"
#include "settings/settings_store.h"
#include "support/recorders.h"
#include "text/string_code_buffer.h"

namespace quillan::wintools {
namespace {

using platform::FakeWindowSystem;

TEST(MakeVariableName, RemovesUnderscoresAndSpacesAsTheRoutineDoes) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"\"tooltips_class32\"", u"\"tooltipsclass32\""},
      {u"\"#32770\"", u"\"#32770\""},
      {u"  a b_c  ", u"abc"},
      {u"\"Afx:400000:8\"", u"\"Afx:400000:8\""},
      // An underscore is looked for only at positions up to the untrimmed length.
      {u"ab", u"ab"},
      {u"", u""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(MakeVariableName(in), out) << "input " << in.size();
}

std::u16string Lines(std::initializer_list<std::u16string_view> lines) {
  std::u16string out;
  for (auto line : lines) out += std::u16string(line) + u"\r\n";
  return out;
}

TEST(GenerateFinderCode, TheWorkedExampleAndItsVariants) {
  FakeWindowSystem ws;
  const Hwnd dialog = ws.Add(u"#32770", u"Find");
  const Hwnd first = ws.Add(u"Edit", u"", dialog);
  const Hwnd second = ws.Add(u"Edit", u"", dialog);
  const Hwnd third = ws.Add(u"Edit", u"", dialog);
  EXPECT_EQ(GenerateFinderCode(ws, second),
            Lines({u"Dim #32770 As Long", u"Dim Edit As Long",
                   u"#32770& = FindWindow(\"#32770\", vbNullString)",
                   u"Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)",
                   u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)"}));
  // The first of its class: no stepping; the third: two stepping lines.
  EXPECT_EQ(GenerateFinderCode(ws, first),
            Lines({u"Dim #32770 As Long", u"Dim Edit As Long",
                   u"#32770& = FindWindow(\"#32770\", vbNullString)",
                   u"Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)"}));
  EXPECT_EQ(GenerateFinderCode(ws, third),
            Lines({u"Dim #32770 As Long", u"Dim Edit As Long",
                   u"#32770& = FindWindow(\"#32770\", vbNullString)",
                   u"Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)",
                   u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)",
                   u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)"}));
  // A top-level window alone: its Dim line and its FindWindow line.
  EXPECT_EQ(GenerateFinderCode(ws, dialog),
            Lines({u"Dim #32770 As Long", u"#32770& = FindWindow(\"#32770\", vbNullString)"}));
}

TEST(GenerateFinderCode, SameNamesShareOneDimAndOwnedWindowsAreFoundAtTheTop) {
  FakeWindowSystem ws;
  const Hwnd form = ws.Add(u"ThunderRT6FormDC", u"Form1");
  const Hwnd outer = ws.Add(u"ThunderRT6Frame", u"", form);
  const Hwnd inner = ws.Add(u"ThunderRT6Frame", u"", outer);
  EXPECT_EQ(GenerateFinderCode(ws, inner),
            Lines({u"Dim ThunderRT6FormDC As Long", u"Dim ThunderRT6Frame As Long",
                   u"ThunderRT6FormDC& = FindWindow(\"ThunderRT6FormDC\", vbNullString)",
                   u"ThunderRT6Frame& = FindWindowEx(ThunderRT6FormDC&, 0&, \"ThunderRT6Frame\", "
                   u"vbNullString)",
                   u"ThunderRT6Frame& = FindWindowEx(ThunderRT6Frame&, 0&, \"ThunderRT6Frame\", "
                   u"vbNullString)"}));
  // An owned dialog is not a child of its owner: it gets a FindWindow line of its own, and
  // so does a level whose stepping search comes back with 0 before it meets the window.
  const Hwnd owned = ws.Add(u"#32770", u"Options");
  ws.Find(owned)->owner = form;
  const Hwnd button = ws.Add(u"Button", u"OK", owned);
  EXPECT_EQ(GenerateFinderCode(ws, button),
            Lines({u"Dim ThunderRT6FormDC As Long", u"Dim #32770 As Long", u"Dim Button As Long",
                   u"ThunderRT6FormDC& = FindWindow(\"ThunderRT6FormDC\", vbNullString)",
                   u"#32770& = FindWindow(\"#32770\", vbNullString)",
                   u"Button& = FindWindowEx(#32770&, 0&, \"Button\", vbNullString)"}));
  ws.Add(u"#32770", u"a child dialog", form);
  EXPECT_EQ(GenerateFinderCode(ws, owned),
            Lines({u"Dim ThunderRT6FormDC As Long", u"Dim #32770 As Long",
                   u"ThunderRT6FormDC& = FindWindow(\"ThunderRT6FormDC\", vbNullString)",
                   u"#32770& = FindWindow(\"#32770\", vbNullString)"}));
  // An owner loop ends the chain instead of climbing for ever.
  ws.Find(form)->owner = owned;
  EXPECT_EQ(BuildChain(ws, button).size(), 3u);
}

TEST(InsertFinderCode, AtTheCaretWithItsDeclarationsThenTheCaretToTheEnd) {
  settings::MemorySettingsStore store;
  codegen::InsertDeclarations option(store);
  testing_support::RecordingMessenger messenger;
  text::StringCodeBuffer buffer(u"Sub A()\r\nEnd Sub", 9);
  buffer.SetSelLength(3);  // "End" is replaced
  EXPECT_TRUE(InsertFinderCode(u"x& = 1\r\n", buffer, option, messenger));
  const std::u16string declarations =
      u"Public Declare Function FindWindow Lib \"user32\" Alias \"FindWindowA\" (ByVal "
      u"lpClassName As String, ByVal lpWindowName As String) As Long\r\n"
      u"Public Declare Function FindWindowEx Lib \"user32\" Alias \"FindWindowExA\" (ByVal hWnd1 "
      u"As Long, ByVal hWnd2 As Long, ByVal lpsz1 As String, ByVal lpsz2 As String) As "
      u"Long\r\n\r\n";
  EXPECT_EQ(buffer.Text(), declarations + u"Sub A()\r\nx& = 1\r\n Sub");
  EXPECT_EQ(buffer.SelStart(), buffer.Length());
  EXPECT_EQ(store.Get("decs", "value"), "true");
  // The longer key holds the shorter: with FindWindowEx declared, nothing is added.
  text::StringCodeBuffer declared(u"Declare Function FindWindowEx");
  InsertFinderCode(u"y\r\n", declared, option, messenger);
  EXPECT_EQ(declared.Text(), u"y\r\nDeclare Function FindWindowEx");
  // Off: only the block; an empty preview is refused.
  option.Set(false);
  text::StringCodeBuffer plain(u"a");
  InsertFinderCode(u"z\r\n", plain, option, messenger);
  EXPECT_EQ(plain.Text(), u"z\r\na");
  EXPECT_EQ(store.Get("decs", "value"), "false");
  EXPECT_FALSE(InsertFinderCode(u"", plain, option, messenger));
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].text, u"You have no code to insert!");
  EXPECT_EQ(messenger.shown[0].icon, ui::MessageIcon::kExclamation);
}

}  // namespace
}  // namespace quillan::wintools
