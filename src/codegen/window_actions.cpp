#include "codegen/window_actions.h"

#include "text/vb_string.h"

namespace quillan::codegen {

namespace {

// Piece shapes. Every action's block begins with CR LF, so it starts on a fresh line.
constexpr CodePiece Opening(std::u16string_view head, std::u16string_view tail) {
  return {true, head, true, tail, true};
}
constexpr CodePiece OpeningText(std::u16string_view text) { return {true, text, false, {}, true}; }
constexpr CodePiece Line(std::u16string_view head, std::u16string_view tail) {
  return {false, head, true, tail, true};
}
constexpr CodePiece LineText(std::u16string_view text) { return {false, text, false, {}, true}; }
// The last piece of the text-reading actions has no line end.
constexpr CodePiece Unended(std::u16string_view head, std::u16string_view tail) {
  return {false, head, true, tail, false};
}

// The API functions. SendMessage, SendMessageByString and SendMessageByNum declare the same
// function under three names; the keys ("Declare Function SendMessage " with its space, or
// "... SendMessage L") never match inside the other two, so each is added when missing.
constexpr std::u16string_view kSendMessageLine =
    uR"vb(Public Declare Function SendMessage Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, lParam As Any) As Long)vb";
constexpr KeyLine kPostMessage{
    u"Declare Function PostMessage",
    uR"vb(Public Declare Function PostMessage Lib "user32" Alias "PostMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As Long) As Long)vb"};
constexpr KeyLine kSendMessage{u"Declare Function SendMessage ", kSendMessageLine};
constexpr KeyLine kSendMessageL{u"Declare Function SendMessage L", kSendMessageLine};
constexpr KeyLine kSendMessageByString{
    u"Declare Function SendMessageByString",
    uR"vb(Public Declare Function SendMessageByString Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As String) As Long)vb"};
constexpr KeyLine kSendMessageByNum{
    u"Declare Function SendMessageByNum",
    uR"vb(Public Declare Function SendMessageByNum& Lib "user32" Alias "SendMessageA" (ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, ByVal lParam As Long))vb"};
constexpr KeyLine kShowWindow{
    u"Declare Function ShowWindow ",
    uR"vb(Public Declare Function ShowWindow Lib "user32" (ByVal hwnd As Long, ByVal nCmdShow As Long) As Long)vb"};
constexpr KeyLine kSetFocusApi{
    u"Declare Function SetFocusAPI ",
    uR"vb(Public Declare Function SetFocusAPI Lib "user32" Alias "SetFocus" (ByVal hwnd As Long) As Long)vb"};
constexpr KeyLine kGetWindowTextLength{
    u"Declare Function GetWindowTextLength",
    uR"vb(Public Declare Function GetWindowTextLength Lib "user32" Alias "GetWindowTextLengthA" (ByVal hwnd As Long) As Long)vb"};
// The trailing space keeps the GetWindowTextLength line from counting as this one.
constexpr KeyLine kGetWindowText{
    u"Declare Function GetWindowText ",
    uR"vb(Public Declare Function GetWindowText Lib "user32" Alias "GetWindowTextA" (ByVal hwnd As Long, ByVal lpString As String, ByVal cch As Long) As Long)vb"};

// The message and show-command constants. The spaces ending "Const WM_GETTEXT " and
// "Const LB_GETTEXT " keep the longer names from counting as these.
constexpr KeyLine kWmLButtonDown{u"Const WM_LBUTTONDOWN", u"Public Const WM_LBUTTONDOWN = &H201"};
constexpr KeyLine kWmLButtonUp{u"Const WM_LBUTTONUP", u"Public Const WM_LBUTTONUP = &H202"};
constexpr KeyLine kWmLButtonDblClk{u"Const WM_LBUTTONDBLCLK",
                                   u"Public Const WM_LBUTTONDBLCLK = &H203"};
constexpr KeyLine kBmGetCheck{u"Const BM_GETCHECK", u"Public Const BM_GETCHECK = &HF0"};
constexpr KeyLine kBmSetCheck{u"Const BM_SETCHECK", u"Public Const BM_SETCHECK = &HF1"};
constexpr KeyLine kWmGetText{u"Const WM_GETTEXT ", u"Public Const WM_GETTEXT = &HD"};
constexpr KeyLine kWmGetTextLength{u"Const WM_GETTEXTLENGTH",
                                   u"Public Const WM_GETTEXTLENGTH = &HE"};
constexpr KeyLine kWmSetText{u"Const WM_SETTEXT", u"Public Const WM_SETTEXT = &HC"};
constexpr KeyLine kWmChar{u"Const WM_CHAR", u"Public Const WM_CHAR = &H102"};
constexpr KeyLine kWmClose{u"Const WM_CLOSE", u"Public Const WM_CLOSE = &H10"};
constexpr KeyLine kLbGetText{u"Const LB_GETTEXT ", u"Public Const LB_GETTEXT = &H189"};
constexpr KeyLine kLbGetTextLen{u"Const LB_GETTEXTLEN", u"Public Const LB_GETTEXTLEN = &H18A"};
constexpr KeyLine kLbSetCurSel{u"Const LB_SETCURSEL ", u"Public Const LB_SETCURSEL = &H186"};
constexpr KeyLine kLbGetCount{u"Const LB_GETCOUNT", u"Public Const LB_GETCOUNT = &H18B"};
constexpr KeyLine kSwShow{u"Const SW_SHOW", u"Public Const SW_SHOW = 5"};
constexpr KeyLine kSwHide{u"Const SW_HIDE", u"Public Const SW_HIDE = 0"};
constexpr KeyLine kSwMaximize{u"Const SW_MAXIMIZE", u"Public Const SW_MAXIMIZE = 3"};
constexpr KeyLine kSwMinimize{u"Const SW_MINIMIZE", u"Public Const SW_MINIMIZE = 6"};
constexpr KeyLine kSwRestore{u"Const SW_RESTORE", u"Public Const SW_RESTORE = 9"};

// The local variables the reading actions assign.
constexpr KeyLine kDimCheckVal{u"Dim CheckVal As", u"Dim CheckVal As Long"};
constexpr KeyLine kDimLngLength{u"Dim lngLength As", u"Dim lngLength As Long"};
constexpr KeyLine kDimStrBuffer{u"Dim strBuffer As", u"Dim strBuffer As String"};
constexpr KeyLine kDimListCount{u"Dim ListCount As", u"Dim ListCount As Long"};

// Fragments of code that several rows share.
constexpr std::u16string_view kCallPostMessage = u"Call PostMessage(";
constexpr std::u16string_view kCallSendMessage = u"Call SendMessage(";
constexpr std::u16string_view kCallSendMessageByString = u"Call SendMessageByString(";
constexpr std::u16string_view kCallSendMessageByNum = u"Call SendMessageByNum(";
constexpr std::u16string_view kCallShowWindow = u"Call ShowWindow(";
constexpr std::u16string_view kLengthBySendMessage = u"lngLength& = SendMessage(";
constexpr std::u16string_view kButtonDown = u", WM_LBUTTONDOWN, 0&, 0&)";
constexpr std::u16string_view kButtonUp = u", WM_LBUTTONUP, 0&, 0&)";
constexpr CodePiece kMakeBuffer = LineText(u"strBuffer$ = String(lngLength&, 0&)");
constexpr CodePiece kLoopStart = OpeningText(u"Do");
constexpr CodePiece kLoopBody = LineText(u"    DoEvents");
constexpr std::u16string_view kLoopUntil = u"Loop Until ";

// Pieces and declarations that several rows share.
constexpr std::array<CodePiece, 3> kClickByPosting{Opening(kCallPostMessage, kButtonDown),
                                                   Line(kCallPostMessage, kButtonUp)};
constexpr std::array<ActionDeclaration, 4> kClickByPostingDeclarations{
    {{&kPostMessage}, {&kWmLButtonDown}, {&kWmLButtonUp, true}}};
constexpr std::array<CodePiece, 3> kClickBySending{Opening(kCallSendMessage, kButtonDown),
                                                   Line(kCallSendMessage, kButtonUp)};
constexpr std::array<ActionDeclaration, 4> kClickBySendingDeclarations{
    {{&kSendMessage}, {&kWmLButtonDown}, {&kWmLButtonUp, true}}};
constexpr std::array<CodePiece, 3> kReadText{
    Opening(kLengthBySendMessage, u", WM_GETTEXTLENGTH, 0&, 0&)"), kMakeBuffer,
    Unended(kCallSendMessageByString, u", WM_GETTEXT, lngLength& + 1&, strBuffer$)")};
constexpr std::array<ActionDeclaration, 4> kReadTextDeclarations{
    {{&kSendMessageByString}, {&kSendMessageL}, {&kWmGetText}, {&kWmGetTextLength, true}}};
constexpr std::array<const KeyLine*, 2> kTextBufferDims{&kDimLngLength, &kDimStrBuffer};
constexpr CodePiece kSetText = Opening(kCallSendMessageByString, u", WM_SETTEXT, 0&, strText$)");
constexpr std::array<ActionDeclaration, 4> kSetTextDeclarations{
    {{&kSendMessageByString}, {&kWmSetText, true}}};

constexpr WindowAction kCatalogue[] = {
    // If hWnd Is A Button/Icon...
    {u"clcik_post", u"button - postmessage", kClickByPosting, {}, kClickByPostingDeclarations},
    {u"click_send", u"button - sendmessage", kClickBySending, {}, kClickBySendingDeclarations},
    // If hWnd Is A Checkbox...
    {u"get_value",
     u"check - get",
     {Opening(u"CheckVal& = SendMessage(", u", BM_GETCHECK, 0&, vbNullString)")},
     {&kDimCheckVal},
     {{{&kSendMessage}, {&kBmGetCheck, true}}},
     u"In the code the variable CheckVal& returns the value of the checkbox.",
     NoteWhen::kAlways},
    {u"set_check",
     u"check - set",
     {Opening(kCallSendMessage, u", BM_SETCHECK, True, 0&)")},
     {},
     {{{&kSendMessage}, {&kBmSetCheck}}}},
    {u"remove_check",
     u"check - remove",
     {Opening(kCallSendMessage, u", BM_SETCHECK, False, 0&)")},
     {},
     {{{&kSendMessage}, {&kBmSetCheck}}}},
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
     {Opening(kCallSendMessageByNum, u", LB_SETCURSEL, lngIndex&, 0&)")},
     {},
     {{{&kSendMessageByNum}, {&kLbSetCurSel}}},
     u"You must replace lngIndex& in the code with the number or variable representing the "
     u"list index to select.",
     NoteWhen::kAlways},
    {u"Double_Click",
     u"list - dblclck",
     {Opening(kCallSendMessage, u", WM_LBUTTONDBLCLK, 0&, 0&)")},
     {},
     {{{&kSendMessage}, {&kWmLButtonDblClk, true}}}},
    // The two list-box pieces have two spaces after the variable's comma.
    {u"Get_Item_Text",
     u"list - gettext",
     {Opening(kLengthBySendMessage, u",  LB_GETTEXTLEN, lngIndex&, 0&)"), kMakeBuffer,
      Unended(kCallSendMessageByString, u",  LB_GETTEXT, lngIndex&, strBuffer$)")},
     kTextBufferDims,
     {{{&kSendMessageByString}, {&kSendMessageL}, {&kLbGetText}, {&kLbGetTextLen, true}}},
     u"The code will put the list item's text into the variable strBuffer$. You must replace "
     u"lngIndex& with the number or variable representing the list index of the text to get.",
     NoteWhen::kAlways},
    {u"Get_Count",
     u"list - get",
     {Opening(u"ListCount& = SendMessage(", u", LB_GETCOUNT, 0&, 0&)")},
     {&kDimListCount},
     {{{&kSendMessage}, {&kLbGetCount, true}}},
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
     {Opening(kCallSendMessageByNum, u", WM_CHAR, lngChar&, 0&)")},
     {},
     {{{&kSendMessageByNum}, {&kWmChar, true}}},
     u"In the code you must replace lngChar& with the number of the character you want to send "
     u"to the textbox.",
     NoteWhen::kAlways},
    // If hWnd Is A Window...
    {u"Window_Max",
     u"win - max",
     {Opening(kCallShowWindow, u", SW_MAXIMIZE)")},
     {},
     {{{&kShowWindow}, {&kSwMaximize}}}},
    {u"Window_Min",
     u"win - min",
     {Opening(kCallShowWindow, u", SW_MINIMIZE)")},
     {},
     {{{&kShowWindow}, {&kSwMinimize}}}},
    {u"Window_Restore",
     u"win - restore",
     {Opening(kCallShowWindow, u", SW_RESTORE)")},
     {},
     {{{&kShowWindow}, {&kSwRestore}}}},
    {u"Window_Show",
     u"win - show",
     {Opening(kCallShowWindow, u", SW_SHOW)")},
     {},
     {{{&kShowWindow}, {&kSwShow}}}},
    {u"Window_Hide",
     u"win - hide",
     {Opening(kCallShowWindow, u", SW_HIDE)")},
     {},
     {{{&kShowWindow}, {&kSwHide}}}},
    {u"Window_Close",
     u"win - close",
     {Opening(kCallSendMessage, u", WM_CLOSE, 0&, 0&)")},
     {},
     {{{&kSendMessage}, {&kWmClose}}}},
    {u"Window_Caption",
     u"win - caption",
     {Opening(u"lngLength& = GetWindowTextLength(", u")"), kMakeBuffer,
      Unended(u"Call GetWindowText(", u", strBuffer$, lngLength& + 1&)")},
     kTextBufferDims,
     {{{&kGetWindowTextLength}, {&kGetWindowText}}},
     u"The code will put the window's text into the variable strBuffer$.",
     NoteWhen::kAlways},
    {u"Window_Set_Focus",
     u"win - focus",
     {Opening(u"Call SetFocusAPI(", u")")},
     {},
     {{{&kSetFocusApi}}}},
    // Code Inserts: the waiting loops only re-test the variable; they never declare anything.
    {u"Loop_Appear",
     u"win - appear",
     {kLoopStart, kLoopBody, Line(kLoopUntil, u" <> 0&")},
     {},
     {},
     {},
     NoteWhen::kNever,
     false},
    {u"Loop_Gone",
     u"win - gone",
     {kLoopStart, kLoopBody, Line(kLoopUntil, u" = 0&")},
     {},
     {},
     {},
     NoteWhen::kNever,
     false},
};

}  // namespace

std::u16string CodePiece::Compose(std::u16string_view v) const {
  std::u16string out;
  out.reserve(head.size() + v.size() + tail.size() + 4);
  if (line_before) out.append(text::kCrLf);
  out.append(head);
  if (variable) out.append(v);
  out.append(tail);
  if (line_after) out.append(text::kCrLf);
  return out;
}

std::span<const WindowAction> WindowActions() { return kCatalogue; }

const WindowAction* FindWindowAction(std::u16string_view tag) {
  for (const WindowAction& action : kCatalogue) {
    if (action.tag == tag) return &action;
  }
  return nullptr;
}

ActionOutcome RunWindowAction(const WindowAction& action, std::u16string_view variable,
                              text::CodeBuffer& buffer, bool declarations_on, InsertionHost& host,
                              text::Messenger& messenger) {
  if (variable.empty()) {
    messenger.Show(u"You must select a variable!", text::MessageIcon::kExclamation,
                   text::MessageButtons::kOk);
    return {};
  }
  for (const CodePiece& piece : action.pieces) {
    if (piece.used()) AppendCode(buffer, piece.Compose(variable));
  }
  for (const KeyLine* dim : action.dims) {
    if (dim) EnsureDimLine(buffer, dim->key, dim->line);
  }
  if (!action.uses_option || !declarations_on) {
    FinishInsertion(buffer, host, false);
    return {true, action.note_when != NoteWhen::kNever ? action.note : std::u16string_view()};
  }
  buffer.SetSelStart(0);
  for (const ActionDeclaration& declaration : action.declarations) {
    if (!declaration.line) continue;
    if (declaration.blank) {
      EnsureDeclaration(buffer, declaration.line->key, declaration.line->line, Blank{});
    } else {
      EnsureDeclaration(buffer, declaration.line->key, declaration.line->line);
    }
  }
  FinishInsertion(buffer, host, true);
  return {true, action.note_when == NoteWhen::kAlways ? action.note : std::u16string_view()};
}

void ShowActionNote(text::Messenger& messenger, std::u16string_view note) {
  messenger.Show(note, text::MessageIcon::kInformation, text::MessageButtons::kOk);
}

ActionOutcome AcceptVariable(std::u16string_view tag, std::u16string_view variable,
                             text::CodeBuffer& buffer, InsertDeclarations& option,
                             InsertionHost& host, text::Messenger& messenger) {
  ActionOutcome outcome;
  if (const WindowAction* action = FindWindowAction(tag)) {
    outcome = RunWindowAction(*action, variable, buffer, option.IsOn(), host, messenger);
  }
  option.Store();
  return outcome;
}

}  // namespace quillan::codegen
