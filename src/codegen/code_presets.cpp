#include "codegen/code_presets.h"

#include <array>
#include <span>
#include <string_view>

#include "codegen/prompts_and_templates.h"

namespace quillan::codegen {

namespace {

// A routine: its prompts, its lines as templates ("{1}" and "{2}" are the answers) appended
// in order, and the Dim lines it needs.
struct Preset {
  std::span<const PromptSpec> prompts;
  std::span<const std::u16string_view> lines;
  std::span<const KeyedLine> dims;
};

constexpr std::u16string_view kStringVariableDefault = u"strText$";

constexpr PromptSpec kSaveTextPrompts[] = {
    {u"Enter the file name to the save the text to(including path).", {}},
    {u"Where is the text to save stored?", {}},
};
constexpr std::u16string_view kSaveTextLines[] = {
    u"\r\nOpen \"{1}\" For Output As #1\r\n",
    u"Print #1, {2}\r\n",
    u"Close #1",
};

constexpr PromptSpec kLoadTextPrompts[] = {
    {u"Enter the file name to the load the text from(including path).", {}},
    {u"Where do you want the text to load stored?", {}},
};
constexpr std::u16string_view kLoadTextLines[] = {
    u"\r\nOpen \"{1}\" For Input As #1\r\n",
    u"{2} = Input$(LOF(1), 1)\r\n",
    u"Close #1",
};

constexpr PromptSpec kSaveListPrompts[] = {
    {u"Enter the file name to the save the list to(including path).", {}},
    {u"Where is the list to save stored?", {}},
};
constexpr std::u16string_view kSaveListLines[] = {
    u"\r\nOpen \"{1}\" For Output As #1\r\n",
    u"For lngList& = 0& To {2}.ListCount - 1\r\n",
    u"    Print #1, {2}.List(lngList&)\r\n",
    u"Next lngList&\r\n",
    u"Close #1\r\n",
};
constexpr KeyedLine kSaveListDims[] = {{u"Dim lngList As", u"Dim lngList As Long"}};

constexpr PromptSpec kLoadListPrompts[] = {
    {u"Enter the file name to the load the list from(including path).", {}},
    {u"Where do you want the list to load stored?", {}},
};
constexpr std::u16string_view kLoadListLines[] = {
    u"\r\nOpen \"{1}\" For Input As #1\r\n",
    u"While Not EOF(1)\r\n",
    u"    Input #1, strHold$\r\n",
    u"    DoEvents\r\n",
    u"    {2}.AddItem strHold$\r\n",
    u"Wend\r\n",
    u"Close #1\r\n",
};
constexpr KeyedLine kLoadListDims[] = {{u"Dim strHold As", u"Dim strHold As String"}};

constexpr PromptSpec kEncryptPrompts[] = {
    {u"Enter the variable containing the string to encrypt.", kStringVariableDefault},
};
constexpr PromptSpec kDecryptPrompts[] = {
    {u"Enter the variable containing the string to decrypt.", kStringVariableDefault},
};
// The two ciphers differ only in the line that shifts the character.
constexpr std::u16string_view kCipherHead[] = {
    u"\r\nstrChar$=\"\"\r\n",
    u"strFinal$=\"\"\r\n",
    u"For lngMidNum& = 1 To Len({1})\r\n",
    u"    strChar$ = Mid({1}, lngMidNum&, 1)\r\n",
    u"    intChar% = Asc(strChar$)\r\n",
};
constexpr std::u16string_view kEncryptShift =
    u"    strNewChar$ = Chr(Val(intChar% + lngMidNum&) - 8)\r\n";
constexpr std::u16string_view kDecryptShift =
    u"    strNewChar$ = Chr(Val(intChar% - lngMidNum&) + 8)\r\n";
constexpr std::u16string_view kCipherTail[] = {
    u"    strFinal$ = strFinal$ & strNewChar$\r\n",
    u"Next lngMidNum&\r\n",
    u"{1} = strFinal$\r\n",
};
constexpr auto CipherLines(std::u16string_view shift) {
  std::array<std::u16string_view, std::size(kCipherHead) + 1 + std::size(kCipherTail)> lines{};
  std::size_t i = 0;
  for (std::u16string_view line : kCipherHead) lines[i++] = line;
  lines[i++] = shift;
  for (std::u16string_view line : kCipherTail) lines[i++] = line;
  return lines;
}
constexpr auto kEncryptLines = CipherLines(kEncryptShift);
constexpr auto kDecryptLines = CipherLines(kDecryptShift);
constexpr KeyedLine kCipherDims[] = {
    {u"Dim lngMidNum As", u"Dim lngMidNum As Long"},
    {u"Dim intChar As", u"Dim intChar As Integer"},
    {u"Dim strChar As", u"Dim strChar As String"},
    {u"Dim strNewChar As", u"Dim strNewChar As String"},
    {u"Dim strFinal As", u"Dim strFinal As String"},
};

constexpr PromptSpec kRunExePrompts[] = {
    {u"Enter the file name of the file to open, including the path.", {}},
};
constexpr std::u16string_view kRunExeLines[] = {
    u"\r\nIf Len(Dir$(\"{1}\")) Then\r\n",
    u"    Shell (\"{1}\")\r\n",
    u"End If",
};

constexpr std::u16string_view kOpenUrlPrompt = u"Enter the url of the site to open.";
constexpr std::u16string_view kOpenUrlLines[] = {
    u"\r\nShell (\"Explorer {1}\")",
};

// Both window-placement presets ask the same question.
constexpr PromptSpec kFormPrompts[] = {{u"Enter the name of the form to keep on top.", {}}};
constexpr std::u16string_view kFormOnTopLines[] = {
    u"\r\nCall SetWindowPos({1}.hWnd,  HWND_TOPMOST, 0&, 0&, 0&, 0&, FLAGS)\r\n",
};
constexpr std::u16string_view kFormNotOnTopLines[] = {
    u"\r\nCall SetWindowPos({1}.hWnd,  HWND_NOTOPMOST, 0&, 0&, 0&, 0&, FLAGS)\r\n",
};
constexpr KeyedLine kSetWindowPos{
    u"Declare Function SetWindowPos ",
    u"Public Declare Function SetWindowPos Lib \"user32\" (ByVal hwnd As Long, ByVal "
    u"hWndInsertAfter As Long, ByVal X As Long, ByVal Y As Long, ByVal cx As Long, ByVal cy As "
    u"Long, ByVal wFlags As Long) As Long",
};
constexpr KeyedLine kSwpNoMove{u"Const SWP_NOMOVE", u"Public Const SWP_NOMOVE = &H2"};
constexpr KeyedLine kSwpNoSize{u"Const SWP_NOSIZE", u"Public Const SWP_NOSIZE = &H1"};
constexpr KeyedLine kFlags{u"Const FLAGS", u"Public Const FLAGS = SWP_NOMOVE Or SWP_NOSIZE"};
constexpr KeyedLine kFormOnTopDeclarations[] = {
    kSetWindowPos, {u"Const HWND_TOPMOST", u"Public Const HWND_TOPMOST = -1"},
    kSwpNoMove,    kSwpNoSize,
    kFlags,
};
constexpr KeyedLine kFormNotOnTopDeclarations[] = {
    kSetWindowPos, {u"Const HWND_NOTOPMOST", u"Public Const HWND_NOTOPMOST = -2"},
    kSwpNoMove,    kSwpNoSize,
    kFlags,
};

void RunPreset(const Preset& preset, text::CodeBuffer& buffer, ui::Prompter& prompter) {
  const auto answers = AskAll(prompter, preset.prompts);
  if (!answers) return;
  // One append of all the lines gives the same text as appending them one by one, with one
  // edit of the editor instead of one a line.
  const std::u16string code = ExpandTemplate(preset.lines, AnswerPlaceholders(*answers));
  if (preset.dims.empty()) {
    AppendCode(buffer, code);  // leaves the caret at the end
  } else {
    AppendCodeWithDimLines(buffer, code, preset.dims);
  }
}

InsertionOutcome RunWindowPlacement(const Preset& preset,
                                    std::span<const KeyedLine> declarations_needed,
                                    text::CodeBuffer& buffer, ui::Prompter& prompter,
                                    InsertDeclarations& declarations) {
  const auto answers = AskAll(prompter, preset.prompts);
  if (!answers) return {};
  AppendCode(buffer, ExpandTemplate(preset.lines, AnswerPlaceholders(*answers)));
  // With the option off the caret stays at the end, where AppendCode left it.
  if (!declarations.IsOn()) return {};
  buffer.SetSelStart(0);
  EnsureDeclarations(buffer, declarations_needed);
  return FinishInsertion(buffer, true);
}

}  // namespace

void InsertRoutine(Routine routine, text::CodeBuffer& buffer, ui::Prompter& prompter) {
  // In the order of Routine.
  static constexpr Preset kRoutines[] = {
      {kSaveTextPrompts, kSaveTextLines, {}},
      {kLoadTextPrompts, kLoadTextLines, {}},
      {kSaveListPrompts, kSaveListLines, kSaveListDims},
      {kLoadListPrompts, kLoadListLines, kLoadListDims},
      {kEncryptPrompts, kEncryptLines, kCipherDims},
      {kDecryptPrompts, kDecryptLines, kCipherDims},
      {kRunExePrompts, kRunExeLines, {}},
  };
  RunPreset(kRoutines[static_cast<std::size_t>(routine)], buffer, prompter);
}

void InsertOpenUrl(text::CodeBuffer& buffer, ui::Prompter& prompter,
                   std::u16string_view default_url) {
  const PromptSpec prompts[] = {{kOpenUrlPrompt, default_url}};
  RunPreset({prompts, kOpenUrlLines, {}}, buffer, prompter);
}

InsertionOutcome InsertFormPlacement(Placement placement, text::CodeBuffer& buffer,
                                     ui::Prompter& prompter, InsertDeclarations& declarations) {
  const bool on_top = placement == Placement::kOnTop;
  return RunWindowPlacement(
      {kFormPrompts, on_top ? std::span(kFormOnTopLines) : kFormNotOnTopLines, {}},
      on_top ? std::span(kFormOnTopDeclarations) : kFormNotOnTopDeclarations, buffer, prompter,
      declarations);
}

}  // namespace quillan::codegen
