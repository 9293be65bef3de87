#include "codegen/window_actions.h"

#include "codegen/prompts_and_templates.h"
#include "text/vb_string.h"

namespace quillan::codegen {

namespace {

// The API functions. SendMessage, SendMessageByString and SendMessageByNum declare the same
// function under three names; the keys ("Declare Function SendMessage " with its space, or
// "... SendMessage L") never match inside the other two, so each is added when missing.
constexpr std::u16string_view kSendMessageLine =
    uR"vb(Public Declare Function SendMessage Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, lParam As Any) As Long)vb";
constexpr KeyedLine kPostMessage{
    u"Declare Function PostMessage",
    uR"vb(Public Declare Function PostMessage Lib "user32" Alias "PostMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As Long) As Long)vb"};
constexpr KeyedLine kSendMessage{u"Declare Function SendMessage ", kSendMessageLine};
constexpr KeyedLine kSendMessageL{u"Declare Function SendMessage L", kSendMessageLine};
constexpr KeyedLine kSendMessageByString{
    u"Declare Function SendMessageByString",
    uR"vb(Public Declare Function SendMessageByString Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As String) As Long)vb"};
constexpr KeyedLine kSendMessageByNum{
    u"Declare Function SendMessageByNum",
    uR"vb(Public Declare Function SendMessageByNum& Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As Long))vb"};
constexpr KeyedLine kShowWindow{
    u"Declare Function ShowWindow ",
    uR"vb(Public Declare Function ShowWindow Lib "user32" (ByVal hwnd As Long, ByVal nCmdShow As Long) As Long)vb"};
constexpr KeyedLine kSetFocusApi{
    u"Declare Function SetFocusAPI ",
    uR"vb(Public Declare Function SetFocusAPI Lib "user32" Alias "SetFocus" (ByVal hwnd As Long) As Long)vb"};
constexpr KeyedLine kGetWindowTextLength{
    u"Declare Function GetWindowTextLength",
    uR"vb(Public Declare Function GetWindowTextLength Lib "user32" Alias "GetWindowTextLengthA" (ByVal hwnd As Long) As Long)vb"};
// The trailing space keeps the GetWindowTextLength line from counting as this one.
constexpr KeyedLine kGetWindowText{
    u"Declare Function GetWindowText ",
    uR"vb(Public Declare Function GetWindowText Lib "user32" Alias "GetWindowTextA" (ByVal hwnd As Long, ByVal lpString As String, ByVal cch As Long) As Long)vb"};

// The message and show-command constants. The spaces ending "Const WM_GETTEXT " and
// "Const LB_GETTEXT " keep the longer names from counting as these.
constexpr KeyedLine kWmLButtonDown{u"Const WM_LBUTTONDOWN", u"Public Const WM_LBUTTONDOWN = &H201"};
constexpr KeyedLine kWmLButtonUp{u"Const WM_LBUTTONUP", u"Public Const WM_LBUTTONUP = &H202"};
constexpr KeyedLine kWmLButtonDblClk{u"Const WM_LBUTTONDBLCLK",
                                     u"Public Const WM_LBUTTONDBLCLK = &H203"};
constexpr KeyedLine kBmGetCheck{u"Const BM_GETCHECK", u"Public Const BM_GETCHECK = &HF0"};
constexpr KeyedLine kBmSetCheck{u"Const BM_SETCHECK", u"Public Const BM_SETCHECK = &HF1"};
constexpr KeyedLine kWmGetText{u"Const WM_GETTEXT ", u"Public Const WM_GETTEXT = &HD"};
constexpr KeyedLine kWmGetTextLength{u"Const WM_GETTEXTLENGTH",
                                     u"Public Const WM_GETTEXTLENGTH = &HE"};
constexpr KeyedLine kWmSetText{u"Const WM_SETTEXT", u"Public Const WM_SETTEXT = &HC"};
constexpr KeyedLine kWmChar{u"Const WM_CHAR", u"Public Const WM_CHAR = &H102"};
constexpr KeyedLine kWmClose{u"Const WM_CLOSE", u"Public Const WM_CLOSE = &H10"};
constexpr KeyedLine kLbGetText{u"Const LB_GETTEXT ", u"Public Const LB_GETTEXT = &H189"};
constexpr KeyedLine kLbGetTextLen{u"Const LB_GETTEXTLEN", u"Public Const LB_GETTEXTLEN = &H18A"};
constexpr KeyedLine kLbSetCurSel{u"Const LB_SETCURSEL ", u"Public Const LB_SETCURSEL = &H186"};
constexpr KeyedLine kLbGetCount{u"Const LB_GETCOUNT", u"Public Const LB_GETCOUNT = &H18B"};
constexpr KeyedLine kSwShow{u"Const SW_SHOW", u"Public Const SW_SHOW = 5"};
constexpr KeyedLine kSwHide{u"Const SW_HIDE", u"Public Const SW_HIDE = 0"};
constexpr KeyedLine kSwMaximize{u"Const SW_MAXIMIZE", u"Public Const SW_MAXIMIZE = 3"};
constexpr KeyedLine kSwMinimize{u"Const SW_MINIMIZE", u"Public Const SW_MINIMIZE = 6"};
constexpr KeyedLine kSwRestore{u"Const SW_RESTORE", u"Public Const SW_RESTORE = 9"};

// The local variables the reading actions assign.
constexpr KeyedLine kDimCheckVal{u"Dim CheckVal As", u"Dim CheckVal As Long"};
constexpr KeyedLine kDimLngLength{u"Dim lngLength As", u"Dim lngLength As Long"};
constexpr KeyedLine kDimStrBuffer{u"Dim strBuffer As", u"Dim strBuffer As String"};
constexpr KeyedLine kDimListCount{u"Dim ListCount As", u"Dim ListCount As Long"};

// A declaration followed by an empty line, which ends the block of declarations.
constexpr KeyedLine Last(KeyedLine line) {
  line.blank = true;
  return line;
}

// Code and declarations that several rows share.
constexpr std::array<std::u16string_view, 3> kClickByPosting{
    u"\r\nCall PostMessage({V}, WM_LBUTTONDOWN, 0&, 0&)\r\n",
    u"Call PostMessage({V}, WM_LBUTTONUP, 0&, 0&)\r\n"};
constexpr std::array<KeyedLine, 4> kClickByPostingDeclarations{kPostMessage, kWmLButtonDown,
                                                               Last(kWmLButtonUp)};
constexpr std::array<std::u16string_view, 3> kClickBySending{
    u"\r\nCall SendMessage({V}, WM_LBUTTONDOWN, 0&, 0&)\r\n",
    u"Call SendMessage({V}, WM_LBUTTONUP, 0&, 0&)\r\n"};
constexpr std::array<KeyedLine, 4> kClickBySendingDeclarations{kSendMessage, kWmLButtonDown,
                                                               Last(kWmLButtonUp)};
// The text-reading actions end without a line end.
constexpr std::u16string_view kMakeBuffer = u"strBuffer$ = String(lngLength&, 0&)\r\n";
constexpr std::array<std::u16string_view, 3> kReadText{
    u"\r\nlngLength& = SendMessage({V}, WM_GETTEXTLENGTH, 0&, 0&)\r\n", kMakeBuffer,
    u"Call SendMessageByString({V}, WM_GETTEXT, lngLength& + 1&, strBuffer$)"};
constexpr std::array<KeyedLine, 4> kReadTextDeclarations{kSendMessageByString, kSendMessageL,
                                                         kWmGetText, Last(kWmGetTextLength)};
constexpr std::array<KeyedLine, 2> kTextBufferDims{kDimLngLength, kDimStrBuffer};
constexpr std::u16string_view kSetText =
    u"\r\nCall SendMessageByString({V}, WM_SETTEXT, 0&, strText$)\r\n";
constexpr std::array<KeyedLine, 4> kSetTextDeclarations{kSendMessageByString, Last(kWmSetText)};

constexpr WindowAction kCatalogue[] = {
    // If hWnd Is A Button/Icon...
    {u"clcik_post", u"button - postmessage", kClickByPosting, {}, kClickByPostingDeclarations},
    {u"click_send", u"button - sendmessage", kClickBySending, {}, kClickBySendingDeclarations},
    // If hWnd Is A Checkbox...
    {u"get_value",
     u"check - get",
     {u"\r\nCheckVal& = SendMessage({V}, BM_GETCHECK, 0&, vbNullString)\r\n"},
     {kDimCheckVal},
     {kSendMessage, Last(kBmGetCheck)},
     u"In the code the variable CheckVal& returns the value of the checkbox.",
     NoteWhen::kAlways},
    {u"set_check",
     u"check - set",
     {u"\r\nCall SendMessage({V}, BM_SETCHECK, True, 0&)\r\n"},
     {},
     {kSendMessage, kBmSetCheck}},
    {u"remove_check",
     u"check - remove",
     {u"\r\nCall SendMessage({V}, BM_SETCHECK, False, 0&)\r\n"},
     {},
     {kSendMessage, kBmSetCheck}},
    // If hWnd Is A Label...
    {u"get_Label_Text", u"label - gettext", kReadText, kTextBufferDims, kReadTextDeclarations,
     u"The code will put the label's text into the variable strBuffer$.", NoteWhen::kWhenOff},
    {u"Set_Label_Text",
     u"label - settext",
     {kSetText},
     {},
     kSetTextDeclarations,
     u"In the code you must replace strText$ with the text you want to send to the label.",
     NoteWhen::kWhenOff},
    // If hWnd Is A Listbox...
    {u"Select_Item",
     u"list - select",
     {u"\r\nCall SendMessageByNum({V}, LB_SETCURSEL, lngIndex&, 0&)\r\n"},
     {},
     {kSendMessageByNum, kLbSetCurSel},
     u"You must replace lngIndex& in the code with the number or variable representing the "
     u"list index to select.",
     NoteWhen::kAlways},
    {u"Double_Click",
     u"list - dblclck",
     {u"\r\nCall SendMessage({V}, WM_LBUTTONDBLCLK, 0&, 0&)\r\n"},
     {},
     {kSendMessage, Last(kWmLButtonDblClk)}},
    // The two list-box lines have two spaces after the variable's comma.
    {u"Get_Item_Text",
     u"list - gettext",
     {u"\r\nlngLength& = SendMessage({V},  LB_GETTEXTLEN, lngIndex&, 0&)\r\n", kMakeBuffer,
      u"Call SendMessageByString({V},  LB_GETTEXT, lngIndex&, strBuffer$)"},
     kTextBufferDims,
     {kSendMessageByString, kSendMessageL, kLbGetText, Last(kLbGetTextLen)},
     u"The code will put the list item's text into the variable strBuffer$. You must replace "
     u"lngIndex& with the number or variable representing the list index of the text to get.",
     NoteWhen::kAlways},
    {u"Get_Count",
     u"list - get",
     {u"\r\nListCount& = SendMessage({V}, LB_GETCOUNT, 0&, 0&)\r\n"},
     {kDimListCount},
     {kSendMessage, Last(kLbGetCount)},
     u"In the code the variable ListCount& returns the number of items in the list.",
     NoteWhen::kAlways},
    // If hWnd Is A Radio Button...: the same text as the button actions.
    {u"Click_radio", u"radio - postmessage", kClickByPosting, {}, kClickByPostingDeclarations},
    {u"Click_radio2", u"radio - sendmessage", kClickBySending, {}, kClickBySendingDeclarations},
    // If hWnd Is A Text Field...
    {u"Text_Get_Text", u"text - get", kReadText, kTextBufferDims, kReadTextDeclarations,
     u"The code will put the textbox's text into the variable strBuffer$.", NoteWhen::kAlways},
    {u"Text_Send_Text",
     u"text - settext",
     {kSetText},
     {},
     kSetTextDeclarations,
     u"In the code you must replace strText$ with the text you want to send to the textbox.",
     NoteWhen::kAlways},
    {u"Text_Send_Char",
     u"text - sendchr",
     {u"\r\nCall SendMessageByNum({V}, WM_CHAR, lngChar&, 0&)\r\n"},
     {},
     {kSendMessageByNum, Last(kWmChar)},
     u"In the code you must replace lngChar& with the number of the character you want to send "
     u"to the textbox.",
     NoteWhen::kAlways},
    // If hWnd Is A Window...
    {u"Window_Max",
     u"win - max",
     {u"\r\nCall ShowWindow({V}, SW_MAXIMIZE)\r\n"},
     {},
     {kShowWindow, kSwMaximize}},
    {u"Window_Min",
     u"win - min",
     {u"\r\nCall ShowWindow({V}, SW_MINIMIZE)\r\n"},
     {},
     {kShowWindow, kSwMinimize}},
    {u"Window_Restore",
     u"win - restore",
     {u"\r\nCall ShowWindow({V}, SW_RESTORE)\r\n"},
     {},
     {kShowWindow, kSwRestore}},
    {u"Window_Show",
     u"win - show",
     {u"\r\nCall ShowWindow({V}, SW_SHOW)\r\n"},
     {},
     {kShowWindow, kSwShow}},
    {u"Window_Hide",
     u"win - hide",
     {u"\r\nCall ShowWindow({V}, SW_HIDE)\r\n"},
     {},
     {kShowWindow, kSwHide}},
    {u"Window_Close",
     u"win - close",
     {u"\r\nCall SendMessage({V}, WM_CLOSE, 0&, 0&)\r\n"},
     {},
     {kSendMessage, kWmClose}},
    {u"Window_Caption",
     u"win - caption",
     {u"\r\nlngLength& = GetWindowTextLength({V})\r\n", kMakeBuffer,
      u"Call GetWindowText({V}, strBuffer$, lngLength& + 1&)"},
     kTextBufferDims,
     {kGetWindowTextLength, kGetWindowText},
     u"The code will put the window's text into the variable strBuffer$.",
     NoteWhen::kAlways},
    {u"Window_Set_Focus", u"win - focus", {u"\r\nCall SetFocusAPI({V})\r\n"}, {}, {kSetFocusApi}},
    // Code Inserts: the waiting loops only re-test the variable; they never declare anything.
    {u"Loop_Appear",
     u"win - appear",
     {u"\r\nDo\r\n    DoEvents\r\nLoop Until {V} <> 0&\r\n"},
     {},
     {},
     {},
     NoteWhen::kNever,
     false},
    {u"Loop_Gone",
     u"win - gone",
     {u"\r\nDo\r\n    DoEvents\r\nLoop Until {V} = 0&\r\n"},
     {},
     {},
     {},
     NoteWhen::kNever,
     false},
};

// The used slots of a row's Dim lines or declarations.
template <std::size_t N>
std::span<const KeyedLine> Used(const std::array<KeyedLine, N>& slots) {
  std::size_t n = 0;
  while (n < N && !slots[n].line.empty()) ++n;
  return std::span(slots).first(n);
}

}  // namespace

std::span<const WindowAction> WindowActions() { return kCatalogue; }

const WindowAction* FindWindowAction(std::u16string_view tag) {
  for (const WindowAction& action : kCatalogue) {
    if (action.tag == tag) return &action;
  }
  return nullptr;
}

InsertionOutcome RunWindowAction(const WindowAction& action, std::u16string_view variable,
                                 text::CodeBuffer& buffer, bool declarations_on,
                                 ui::Messenger& messenger) {
  if (variable.empty()) {
    messenger.Show(u"You must select a variable!", ui::MessageIcon::kExclamation,
                   ui::MessageButtons::kOk);
    return {};
  }
  const Placeholder variable_value[] = {{u'V', variable}};
  AppendCode(buffer, ExpandTemplate(action.code, variable_value));
  EnsureDimLines(buffer, Used(action.dims));
  const bool declares = action.uses_option && declarations_on;
  if (declares) {
    buffer.SetSelStart(0);
    EnsureDeclarations(buffer, Used(action.declarations));
  }
  InsertionOutcome outcome = FinishInsertion(buffer, declares);
  const bool noted = action.note_when == NoteWhen::kAlways ||
                     (action.note_when == NoteWhen::kWhenOff && !declares);
  if (noted) outcome.note = action.note;
  return outcome;
}

void ShowActionNote(ui::Messenger& messenger, std::u16string_view note) {
  messenger.Show(note, ui::MessageIcon::kInformation, ui::MessageButtons::kOk);
}

InsertionOutcome AcceptVariable(std::u16string_view tag, std::u16string_view variable,
                                text::CodeBuffer& buffer, InsertDeclarations& option,
                                ui::Messenger& messenger) {
  InsertionOutcome outcome;
  if (const WindowAction* action = FindWindowAction(tag)) {
    outcome = RunWindowAction(*action, variable, buffer, option.IsOn(), messenger);
  }
  option.Store();
  return outcome;
}

}  // namespace quillan::codegen
