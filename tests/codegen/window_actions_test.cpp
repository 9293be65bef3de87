// The window-action catalogue, checked row by row against an independent transcription of
// every action, on empty buffers and on buffers that already hold declarations, constants and
// Dim lines, with the option on and off.

#include "codegen/window_actions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "codegen_test_support.h"
#include "settings/settings_store.h"
#include "support/recorders.h"
#include "text/string_code_buffer.h"
#include "text/vb_string.h"

namespace quillan::codegen {
namespace {

using testing::Marked;
using testing_support::RecordingMessenger;

// The declaration and constant lines as the generated code must spell them.
const std::u16string kPostMessage =
    uR"(Public Declare Function PostMessage Lib "user32" Alias "PostMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As Long) As Long)";
const std::u16string kSendMessage =
    uR"(Public Declare Function SendMessage Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, lParam As Any) As Long)";
const std::u16string kSendMessageByString =
    uR"(Public Declare Function SendMessageByString Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As String) As Long)";
const std::u16string kSendMessageByNum =
    uR"x(Public Declare Function SendMessageByNum& Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As Long))x";
const std::u16string kShowWindow =
    uR"(Public Declare Function ShowWindow Lib "user32" (ByVal hwnd As Long, ByVal nCmdShow As Long) As Long)";
const std::u16string kSetFocusApi =
    uR"(Public Declare Function SetFocusAPI Lib "user32" Alias "SetFocus" (ByVal hwnd As Long) As Long)";
const std::u16string kGetWindowTextLength =
    uR"(Public Declare Function GetWindowTextLength Lib "user32" Alias "GetWindowTextLengthA" (ByVal hwnd As Long) As Long)";
const std::u16string kGetWindowText =
    uR"(Public Declare Function GetWindowText Lib "user32" Alias "GetWindowTextA" (ByVal hwnd As Long, ByVal lpString As String, ByVal cch As Long) As Long)";

std::u16string L(std::u16string_view line) { return std::u16string(line) + u"\r\n"; }
// A declaration followed by an empty line.
std::u16string B(std::u16string_view line) { return std::u16string(line) + u"\r\n\r\n"; }

// One action as it must behave. "{V}" stands for the selected variable.
struct Expected {
  std::u16string tag;
  std::u16string menu_item;
  std::u16string code;   // what the pieces append
  std::u16string dims;   // the Dim lines, as they stand together
  std::u16string decls;  // the declarations, as inserted into a buffer that has none
  std::u16string note{};
  NoteWhen when = NoteWhen::kNever;
  bool uses_option = true;
};

const std::u16string kClickPostCode =
    u"\r\nCall PostMessage({V}, WM_LBUTTONDOWN, 0&, 0&)\r\n"
    u"Call PostMessage({V}, WM_LBUTTONUP, 0&, 0&)\r\n";
const std::u16string kClickPostDecls = L(kPostMessage) + L(u"Public Const WM_LBUTTONDOWN = &H201") +
                                       B(u"Public Const WM_LBUTTONUP = &H202");
const std::u16string kClickSendCode =
    u"\r\nCall SendMessage({V}, WM_LBUTTONDOWN, 0&, 0&)\r\n"
    u"Call SendMessage({V}, WM_LBUTTONUP, 0&, 0&)\r\n";
const std::u16string kClickSendDecls = L(kSendMessage) + L(u"Public Const WM_LBUTTONDOWN = &H201") +
                                       B(u"Public Const WM_LBUTTONUP = &H202");
const std::u16string kReadDims = L(u"Dim lngLength As Long") + L(u"Dim strBuffer As String");
const std::u16string kReadTextCode =
    u"\r\nlngLength& = SendMessage({V}, WM_GETTEXTLENGTH, 0&, 0&)\r\n"
    u"strBuffer$ = String(lngLength&, 0&)\r\n"
    u"Call SendMessageByString({V}, WM_GETTEXT, lngLength& + 1&, strBuffer$)";
const std::u16string kReadTextDecls = L(kSendMessageByString) + L(kSendMessage) +
                                      L(u"Public Const WM_GETTEXT = &HD") +
                                      B(u"Public Const WM_GETTEXTLENGTH = &HE");
const std::u16string kSetTextCode =
    u"\r\nCall SendMessageByString({V}, WM_SETTEXT, 0&, strText$)\r\n";
const std::u16string kSetTextDecls = L(kSendMessageByString) + B(u"Public Const WM_SETTEXT = &HC");

std::u16string ShowWindowCode(std::u16string_view command) {
  return u"\r\nCall ShowWindow({V}, " + std::u16string(command) + u")\r\n";
}

const std::vector<Expected>& ExpectedActions() {
  static const std::vector<Expected> rows = {
      {u"button - postmessage", u"clcik_post", kClickPostCode, u"", kClickPostDecls},
      {u"button - sendmessage", u"click_send", kClickSendCode, u"", kClickSendDecls},
      {u"check - get", u"get_value",
       u"\r\nCheckVal& = SendMessage({V}, BM_GETCHECK, 0&, vbNullString)\r\n",
       L(u"Dim CheckVal As Long"), L(kSendMessage) + B(u"Public Const BM_GETCHECK = &HF0"),
       u"In the code the variable CheckVal& returns the value of the checkbox.", NoteWhen::kAlways},
      {u"check - set", u"set_check", u"\r\nCall SendMessage({V}, BM_SETCHECK, True, 0&)\r\n", u"",
       L(kSendMessage) + L(u"Public Const BM_SETCHECK = &HF1")},
      {u"check - remove", u"remove_check", u"\r\nCall SendMessage({V}, BM_SETCHECK, False, 0&)\r\n",
       u"", L(kSendMessage) + L(u"Public Const BM_SETCHECK = &HF1")},
      {u"label - gettext", u"get_Label_Text", kReadTextCode, kReadDims, kReadTextDecls,
       u"The code will put the label's text into the variable strBuffer$.", NoteWhen::kWhenOff},
      {u"label - settext", u"Set_Label_Text", kSetTextCode, u"", kSetTextDecls,
       u"In the code you must replace strText$ with the text you want to send to the label.",
       NoteWhen::kWhenOff},
      {u"list - select", u"Select_Item",
       u"\r\nCall SendMessageByNum({V}, LB_SETCURSEL, lngIndex&, 0&)\r\n", u"",
       L(kSendMessageByNum) + L(u"Public Const LB_SETCURSEL = &H186"),
       u"You must replace lngIndex& in the code with the number or variable representing the "
       u"list index to select.",
       NoteWhen::kAlways},
      {u"list - dblclck", u"Double_Click",
       u"\r\nCall SendMessage({V}, WM_LBUTTONDBLCLK, 0&, 0&)\r\n", u"",
       L(kSendMessage) + B(u"Public Const WM_LBUTTONDBLCLK = &H203")},
      {u"list - gettext", u"Get_Item_Text",
       u"\r\nlngLength& = SendMessage({V},  LB_GETTEXTLEN, lngIndex&, 0&)\r\n"
       u"strBuffer$ = String(lngLength&, 0&)\r\n"
       u"Call SendMessageByString({V},  LB_GETTEXT, lngIndex&, strBuffer$)",
       kReadDims,
       L(kSendMessageByString) + L(kSendMessage) + L(u"Public Const LB_GETTEXT = &H189") +
           B(u"Public Const LB_GETTEXTLEN = &H18A"),
       u"The code will put the list item's text into the variable strBuffer$. You must replace "
       u"lngIndex& with the number or variable representing the list index of the text to get.",
       NoteWhen::kAlways},
      {u"list - get", u"Get_Count", u"\r\nListCount& = SendMessage({V}, LB_GETCOUNT, 0&, 0&)\r\n",
       L(u"Dim ListCount As Long"), L(kSendMessage) + B(u"Public Const LB_GETCOUNT = &H18B"),
       u"In the code the variable ListCount& returns the number of items in the list.",
       NoteWhen::kAlways},
      {u"radio - postmessage", u"Click_radio", kClickPostCode, u"", kClickPostDecls},
      {u"radio - sendmessage", u"Click_radio2", kClickSendCode, u"", kClickSendDecls},
      {u"text - get", u"Text_Get_Text", kReadTextCode, kReadDims, kReadTextDecls,
       u"The code will put the textbox's text into the variable strBuffer$.", NoteWhen::kAlways},
      {u"text - settext", u"Text_Send_Text", kSetTextCode, u"", kSetTextDecls,
       u"In the code you must replace strText$ with the text you want to send to the textbox.",
       NoteWhen::kAlways},
      {u"text - sendchr", u"Text_Send_Char",
       u"\r\nCall SendMessageByNum({V}, WM_CHAR, lngChar&, 0&)\r\n", u"",
       L(kSendMessageByNum) + B(u"Public Const WM_CHAR = &H102"),
       u"In the code you must replace lngChar& with the number of the character you want to send "
       u"to the textbox.",
       NoteWhen::kAlways},
      {u"win - max", u"Window_Max", ShowWindowCode(u"SW_MAXIMIZE"), u"",
       L(kShowWindow) + L(u"Public Const SW_MAXIMIZE = 3")},
      {u"win - min", u"Window_Min", ShowWindowCode(u"SW_MINIMIZE"), u"",
       L(kShowWindow) + L(u"Public Const SW_MINIMIZE = 6")},
      {u"win - restore", u"Window_Restore", ShowWindowCode(u"SW_RESTORE"), u"",
       L(kShowWindow) + L(u"Public Const SW_RESTORE = 9")},
      {u"win - show", u"Window_Show", ShowWindowCode(u"SW_SHOW"), u"",
       L(kShowWindow) + L(u"Public Const SW_SHOW = 5")},
      {u"win - hide", u"Window_Hide", ShowWindowCode(u"SW_HIDE"), u"",
       L(kShowWindow) + L(u"Public Const SW_HIDE = 0")},
      {u"win - close", u"Window_Close", u"\r\nCall SendMessage({V}, WM_CLOSE, 0&, 0&)\r\n", u"",
       L(kSendMessage) + L(u"Public Const WM_CLOSE = &H10")},
      {u"win - caption", u"Window_Caption",
       u"\r\nlngLength& = GetWindowTextLength({V})\r\n"
       u"strBuffer$ = String(lngLength&, 0&)\r\n"
       u"Call GetWindowText({V}, strBuffer$, lngLength& + 1&)",
       kReadDims, L(kGetWindowTextLength) + L(kGetWindowText),
       u"The code will put the window's text into the variable strBuffer$.", NoteWhen::kAlways},
      {u"win - focus", u"Window_Set_Focus", u"\r\nCall SetFocusAPI({V})\r\n", u"", L(kSetFocusApi)},
      {u"win - appear", u"Loop_Appear", u"\r\nDo\r\n    DoEvents\r\nLoop Until {V} <> 0&\r\n", u"",
       u"", u"", NoteWhen::kNever, false},
      {u"win - gone", u"Loop_Gone", u"\r\nDo\r\n    DoEvents\r\nLoop Until {V} = 0&\r\n", u"", u"",
       u"", NoteWhen::kNever, false},
  };
  return rows;
}

std::u16string WithVariable(std::u16string_view pattern, std::u16string_view v) {
  std::u16string out(pattern);
  for (std::size_t at = out.find(u"{V}"); at != std::u16string::npos;
       at = out.find(u"{V}", at + v.size())) {
    out.replace(at, 3, v);
  }
  return out;
}

// One run of an action as OK runs it, with the note shown afterwards; counts the runs that
// finished.
struct Session {
  explicit Session(std::u16string_view text, bool option_on = true) : buffer(std::u16string(text)) {
    store.Set("decs", "value", option_on ? "true" : "false");
  }
  InsertionOutcome Ok(std::u16string_view tag, std::u16string_view variable) {
    const InsertionOutcome outcome = AcceptVariable(tag, variable, buffer, option, messenger);
    if (outcome.finished) ++finished;
    if (!outcome.note.empty()) ShowActionNote(messenger, outcome.note);
    return outcome;
  }
  std::vector<std::u16string> Notes() const {
    std::vector<std::u16string> notes;
    for (const auto& m : messenger.shown) {
      if (m.icon == ui::MessageIcon::kInformation) notes.push_back(m.text);
    }
    return notes;
  }

  text::StringCodeBuffer buffer;
  settings::MemorySettingsStore store;
  InsertDeclarations option{store};
  RecordingMessenger messenger;
  int finished = 0;
};

TEST(WindowActionCatalogue, HoldsEveryMenuItemOnceInMenuOrder) {
  const auto rows = WindowActions();
  ASSERT_EQ(rows.size(), ExpectedActions().size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].tag, ExpectedActions()[i].tag);
    EXPECT_EQ(rows[i].menu_item, ExpectedActions()[i].menu_item);
    EXPECT_EQ(FindWindowAction(rows[i].tag), &rows[i]);
  }
  EXPECT_EQ(FindWindowAction(u"Win - show"), nullptr);
  EXPECT_EQ(FindWindowAction(u"win - show "), nullptr);
}

// Every row, option on and off, on an empty buffer, on a buffer whose code has its own Dim and
// Declare lines, and a second time on what the first run left.
TEST(WindowActionCatalogue, EveryRowInEveryStartingBuffer) {
  const std::u16string v = u"hWin";
  const std::u16string user_top = u"Private Declare Function Beep Lib \"kernel32\" () As Long\r\n";
  const std::u16string user_dim = u"Dim hWin As Long\r\n";
  const std::u16string user_rest = u"hWin = FindWindow(\"Notepad\", vbNullString)\r\n";
  for (const Expected& e : ExpectedActions()) {
    const std::u16string code = WithVariable(e.code, v);
    for (bool on : {false, true}) {
      SCOPED_TRACE(::testing::Message() << text::ToUtf8(e.tag) << (on ? " on" : " off"));
      const bool declares = on && e.uses_option;
      const std::u16string decls = declares ? e.decls : u"";
      const bool note_shown =
          e.when == NoteWhen::kAlways || (e.when == NoteWhen::kWhenOff && !declares);
      const std::vector<std::u16string> expected_notes =
          note_shown ? std::vector<std::u16string>{e.note} : std::vector<std::u16string>{};

      // Empty buffer: declarations on top, the Dim lines below them, then the code.
      Session empty(u"", on);
      ASSERT_TRUE(empty.Ok(e.tag, v).finished);
      EXPECT_EQ(empty.buffer.Text(), decls + e.dims + code);
      EXPECT_EQ(empty.buffer.SelStart(), declares ? decls.size() : empty.buffer.Length());
      EXPECT_EQ(empty.Notes(), expected_notes);
      EXPECT_EQ(empty.finished, 1);

      // The same action again: every key is present now, so only the code is added.
      empty.Ok(e.tag, v);
      EXPECT_EQ(empty.buffer.Text(), decls + e.dims + code + code);
      EXPECT_EQ(empty.buffer.SelStart(), declares ? 0 : empty.buffer.Length());

      // The user's code: Dim lines go below its last Dim line.
      Session user(user_top + user_dim + user_rest, on);
      user.Ok(e.tag, v);
      EXPECT_EQ(user.buffer.Text(), decls + user_top + user_dim + e.dims + user_rest + code);
      EXPECT_EQ(user.buffer.SelStart(), declares ? decls.size() : user.buffer.Length());
      EXPECT_EQ(user.Notes(), expected_notes);

      // Without a Dim line, below the last Declare line.
      Session declared(user_top + user_rest, on);
      declared.Ok(e.tag, v);
      EXPECT_EQ(declared.buffer.Text(), decls + user_top + e.dims + user_rest + code);

      // Everything already declared by hand: nothing but the code is added.
      Session present(e.decls + e.dims + user_rest, on);
      present.Ok(e.tag, v);
      EXPECT_EQ(present.buffer.Text(), e.decls + e.dims + user_rest + code);
      EXPECT_EQ(present.buffer.SelStart(), declares ? 0 : present.buffer.Length());
    }
  }
}

TEST(WindowActions, ShowWindowWorkedExample) {
  Session run(u"");
  run.Ok(u"win - show", u"win");
  EXPECT_EQ(Marked(run.buffer), L(kShowWindow) + L(u"Public Const SW_SHOW = 5") +
                                    u"‸\r\nCall ShowWindow(win, SW_SHOW)\r\n");
  run.Ok(u"win - show", u"win");
  EXPECT_EQ(Marked(run.buffer), u"‸" + L(kShowWindow) + L(u"Public Const SW_SHOW = 5") +
                                    u"\r\nCall ShowWindow(win, SW_SHOW)\r\n"
                                    u"\r\nCall ShowWindow(win, SW_SHOW)\r\n");

  Session off(u"", false);
  off.Ok(u"win - show", u"win");
  EXPECT_EQ(Marked(off.buffer), u"\r\nCall ShowWindow(win, SW_SHOW)\r\n‸");
}

TEST(WindowActions, ListItemTextWorkedExample) {
  Session run(u"");
  run.Ok(u"list - gettext", u"hList ");
  EXPECT_EQ(Marked(run.buffer),
            L(kSendMessageByString) + L(kSendMessage) + L(u"Public Const LB_GETTEXT = &H189") +
                L(u"Public Const LB_GETTEXTLEN = &H18A") + u"\r\n‸" + L(u"Dim lngLength As Long") +
                L(u"Dim strBuffer As String") +
                u"\r\nlngLength& = SendMessage(hList ,  LB_GETTEXTLEN, lngIndex&, 0&)\r\n"
                u"strBuffer$ = String(lngLength&, 0&)\r\n"
                u"Call SendMessageByString(hList ,  LB_GETTEXT, lngIndex&, strBuffer$)");
  EXPECT_EQ(run.Notes(), std::vector<std::u16string>{ExpectedActions()[9].note});
  EXPECT_EQ(run.messenger.shown[0].title, u"Quillan");
  EXPECT_EQ(run.messenger.shown[0].buttons, ui::MessageButtons::kOk);
}

TEST(WindowActions, KeysPresentInTheCodeSuppressTheirLines) {
  struct Case {
    const char* name;
    std::u16string before;
    std::vector<std::u16string> tags;
    std::u16string expected;
  };
  const std::u16string hide_decls = L(kShowWindow) + L(u"Public Const SW_HIDE = 0");
  const std::vector<Case> cases = {
      {"MinimizeAfterHideAddsOnlyItsConstant",
       u"",
       {u"win - hide", u"win - min", u"win - min"},
       L(u"Public Const SW_MINIMIZE = 6") + hide_decls + ShowWindowCode(u"SW_HIDE") +
           ShowWindowCode(u"SW_MINIMIZE") + ShowWindowCode(u"SW_MINIMIZE")},
      {"LongerConstantNameCounts",
       u"Const SW_SHOWNORMAL = 1\r\n",
       {u"win - show"},
       L(kShowWindow) + u"Const SW_SHOWNORMAL = 1\r\n" + ShowWindowCode(u"SW_SHOW")},
      {"KeyInAComment",
       u"' Declare Function ShowWindow (see MSDN)\r\n",
       {u"win - show"},
       L(u"Public Const SW_SHOW = 5") + u"' Declare Function ShowWindow (see MSDN)\r\n" +
           ShowWindowCode(u"SW_SHOW")},
      {"LowerCaseKeyDoesNotCount",
       u"const sw_show = 5\r\n",
       {u"win - show"},
       L(kShowWindow) + L(u"Public Const SW_SHOW = 5") + u"const sw_show = 5\r\n" +
           ShowWindowCode(u"SW_SHOW")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Session run(c.before);
    for (const auto& tag : c.tags) run.Ok(tag, u"{V}");
    EXPECT_EQ(run.buffer.Text(), c.expected);
  }
}

TEST(WindowActions, LabelThenTextReadingDeclaresOnceAndNotesOnlyForText) {
  Session run(u"");
  run.Ok(u"label - gettext", u"h");
  EXPECT_TRUE(run.Notes().empty());
  const std::u16string after_label = run.buffer.Text();
  run.Ok(u"text - get", u"h");
  EXPECT_EQ(run.buffer.Text(), after_label + WithVariable(kReadTextCode, u"h"));
  EXPECT_EQ(run.buffer.SelStart(), 0u);
  EXPECT_EQ(run.Notes(),
            std::vector<std::u16string>{
                u"The code will put the textbox's text into the variable strBuffer$."});
}

TEST(WindowActions, NoVariableChangesNothingAndKeepsTheDialog) {
  Session run(u"x = 1\r\n");
  const int changes = run.buffer.change_count();
  const InsertionOutcome outcome = run.Ok(u"win - show", u"");
  EXPECT_FALSE(outcome.finished);
  EXPECT_EQ(run.buffer.Text(), u"x = 1\r\n");
  EXPECT_EQ(run.buffer.change_count(), changes);
  EXPECT_EQ(run.finished, 0);
  ASSERT_EQ(run.messenger.shown.size(), 1u);
  EXPECT_EQ(run.messenger.shown[0].text, u"You must select a variable!");
  EXPECT_EQ(run.messenger.shown[0].icon, ui::MessageIcon::kExclamation);
  EXPECT_EQ(run.messenger.shown[0].buttons, ui::MessageButtons::kOk);
  // OK stores the option even so.
  EXPECT_EQ(run.store.Get("decs", "value"), "true");
}

TEST(WindowActions, OkStoresTheLiveOptionWhateverTheTag) {
  for (std::u16string_view tag : {u"win - show", u"no such action", u""}) {
    Session run(u"");
    run.option.Set(false);
    const InsertionOutcome outcome = run.Ok(tag, u"h");
    EXPECT_EQ(run.store.Get("decs", "value"), "false");
    EXPECT_EQ(outcome.finished, tag == u"win - show");
    if (!outcome.finished) {
      EXPECT_EQ(run.buffer.Text(), u"");
      EXPECT_EQ(run.finished, 0);
      EXPECT_TRUE(run.messenger.shown.empty());
    }
  }
}

}  // namespace
}  // namespace quillan::codegen
