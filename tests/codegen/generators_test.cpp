#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "codegen/code_presets.h"
#include "codegen/statement_inserts.h"
#include "codegen_test_support.h"
#include "text/vb_string.h"

namespace quillan::codegen {
namespace {

using testing::Env;
using testing::kAcceptDefault;
using testing::Marked;
using testing::Unmark;

using Run = void (*)(Env&);

struct Generator {
  Run run;
  // The prompts in order, each with the answer its field starts with.
  std::vector<std::pair<std::u16string, std::u16string>> prompts;
};

const std::map<std::string, Generator>& Generators() {
  static const std::map<std::string, Generator> generators = {
      {"IfThen",
       {[](Env& e) { InsertStatement(Statement::kIfThen, e.buffer, e.prompter); },
        {{u"Enter the if statement. Note: If and Then are not required, they will be put into "
          u"the if statement automatically.",
          u""}}}},
      {"IfThenElse",
       {[](Env& e) { InsertStatement(Statement::kIfThenElse, e.buffer, e.prompter); },
        {{u"Enter the if statement. Note: If, Then, and Else are not required, they will be put "
          u"into the if statement automatically.",
          u""}}}},
      {"DoLoop",
       {[](Env& e) { InsertStatement(Statement::kDoLoop, e.buffer, e.prompter); },
        {{u"Enter the do statement. Note: Do and Loop are not required, they will be put into "
          u"the statement automatically.",
          u""}}}},
      {"DoLoopUntil",
       {[](Env& e) { InsertStatement(Statement::kDoLoopUntil, e.buffer, e.prompter); },
        {{u"Enter the do statement. Note: Do and Loop are not required, they will be put into "
          u"the statement automatically.",
          u""},
         {u"Enter the loop until statement. Note: Loop Until is not required, they will be put "
          u"into the statement automatically.",
          u""}}}},
      {"DoWhileLoop",
       {[](Env& e) { InsertStatement(Statement::kDoWhileLoop, e.buffer, e.prompter); },
        {{u"Enter the do statement. Note: Do, While and Loop are not required, they will be put "
          u"into the statement automatically.",
          u""}}}},
      {"ForNext",
       {[](Env& e) { InsertStatement(Statement::kForNext, e.buffer, e.prompter); },
        {{u"Enter the for statement. Note: For and Next are not required, they will be put into "
          u"the statement automatically.",
          u""}}}},
      {"Pause",
       {[](Env& e) { InsertPause(e.buffer, e.prompter); },
        {{u"Enter the length of the pause.", u"0.7"}}}},
      {"SaveText",
       {[](Env& e) { InsertRoutine(Routine::kSaveText, e.buffer, e.prompter); },
        {{u"Enter the file name to the save the text to(including path).", u""},
         {u"Where is the text to save stored?", u""}}}},
      {"LoadText",
       {[](Env& e) { InsertRoutine(Routine::kLoadText, e.buffer, e.prompter); },
        {{u"Enter the file name to the load the text from(including path).", u""},
         {u"Where do you want the text to load stored?", u""}}}},
      {"SaveList",
       {[](Env& e) { InsertRoutine(Routine::kSaveList, e.buffer, e.prompter); },
        {{u"Enter the file name to the save the list to(including path).", u""},
         {u"Where is the list to save stored?", u""}}}},
      {"LoadList",
       {[](Env& e) { InsertRoutine(Routine::kLoadList, e.buffer, e.prompter); },
        {{u"Enter the file name to the load the list from(including path).", u""},
         {u"Where do you want the list to load stored?", u""}}}},
      {"EncryptString",
       {[](Env& e) { InsertRoutine(Routine::kEncryptString, e.buffer, e.prompter); },
        {{u"Enter the variable containing the string to encrypt.", u"strText$"}}}},
      {"DecryptString",
       {[](Env& e) { InsertRoutine(Routine::kDecryptString, e.buffer, e.prompter); },
        {{u"Enter the variable containing the string to decrypt.", u"strText$"}}}},
      {"RunExe",
       {[](Env& e) { InsertRoutine(Routine::kRunExe, e.buffer, e.prompter); },
        {{u"Enter the file name of the file to open, including the path.", u""}}}},
      {"OpenUrl",
       {[](Env& e) { InsertOpenUrl(e.buffer, e.prompter, u"https://example.org/quillan"); },
        {{u"Enter the url of the site to open.", u"https://example.org/quillan"}}}},
      {"FormOnTop",
       {[](Env& e) {
          e.finished +=
              InsertFormPlacement(Placement::kOnTop, e.buffer, e.prompter, e.declarations).finished;
        },
        {{u"Enter the name of the form to keep on top.", u""}}}},
      {"FormNotOnTop",
       {[](Env& e) {
          e.finished +=
              InsertFormPlacement(Placement::kNotOnTop, e.buffer, e.prompter, e.declarations)
                  .finished;
        },
        {{u"Enter the name of the form to keep on top.", u""}}}},
  };
  return generators;
}

TEST(Generators, CancelOrEmptyAtEveryPromptChangesNothing) {
  for (const auto& [name, generator] : Generators()) {
    for (std::size_t stop = 0; stop < generator.prompts.size(); ++stop) {
      for (const std::optional<std::u16string>& refusal :
           {std::optional<std::u16string>(), std::optional<std::u16string>(u"")}) {
        SCOPED_TRACE(name + " refused at prompt " + std::to_string(stop + 1));
        Env env(u"Dim a As Long\r\nx = 1‸");
        for (std::size_t i = 0; i < stop; ++i) env.prompter.script.push_back(u"answer");
        env.prompter.script.push_back(refusal);
        generator.run(env);
        EXPECT_EQ(Marked(env.buffer), u"Dim a As Long\r\nx = 1‸");
        EXPECT_FALSE(env.Modified());
        ASSERT_EQ(env.prompter.asked.size(), stop + 1);
        for (std::size_t i = 0; i <= stop; ++i) {
          EXPECT_EQ(env.prompter.asked[i], generator.prompts[i]);
        }
      }
    }
  }
}

const std::u16string kSetWindowPosDeclaration =
    u"Public Declare Function SetWindowPos Lib \"user32\" (ByVal hwnd As Long, ByVal "
    u"hWndInsertAfter As Long, ByVal X As Long, ByVal Y As Long, ByVal cx As Long, ByVal cy As "
    u"Long, ByVal wFlags As Long) As Long\r\n";
const std::u16string kOnTopDeclarations = kSetWindowPosDeclaration +
                                          u"Public Const HWND_TOPMOST = -1\r\n"
                                          u"Public Const SWP_NOMOVE = &H2\r\n"
                                          u"Public Const SWP_NOSIZE = &H1\r\n"
                                          u"Public Const FLAGS = SWP_NOMOVE Or SWP_NOSIZE\r\n";
const std::u16string kOnTopCall =
    u"\r\nCall SetWindowPos(Form1.hWnd,  HWND_TOPMOST, 0&, 0&, 0&, 0&, FLAGS)\r\n";
const std::u16string kNotOnTopCall =
    u"\r\nCall SetWindowPos(Form1.hWnd,  HWND_NOTOPMOST, 0&, 0&, 0&, 0&, FLAGS)\r\n";
const std::u16string kCipherDims =
    u"Dim lngMidNum As Long\r\nDim intChar As Integer\r\nDim strChar As String\r\n"
    u"Dim strNewChar As String\r\nDim strFinal As String\r\n";
std::u16string Cipher(std::u16string_view var, std::u16string_view shift) {
  std::u16string s = u"\r\nstrChar$=\"\"\r\nstrFinal$=\"\"\r\nFor lngMidNum& = 1 To Len(";
  s += var;
  s += u")\r\n    strChar$ = Mid(";
  s += var;
  s += u", lngMidNum&, 1)\r\n    intChar% = Asc(strChar$)\r\n";
  s += shift;
  s += u"    strFinal$ = strFinal$ & strNewChar$\r\nNext lngMidNum&\r\n";
  s += var;
  s += u" = strFinal$\r\n";
  return s;
}
const std::u16string kEncryptShift = u"    strNewChar$ = Chr(Val(intChar% + lngMidNum&) - 8)\r\n";
const std::u16string kDecryptShift = u"    strNewChar$ = Chr(Val(intChar% - lngMidNum&) + 8)\r\n";
const std::u16string kPauseBlock =
    u"\r\nCurrent = Timer\r\nDo Until Timer - Current >= 0.7\r\n    DoEvents\r\nLoop";

struct Case {
  const char* name;
  std::vector<std::string> generators;  // run in turn, each with the same answers
  std::u16string before;                // with the caret marked
  std::vector<std::u16string> answers;
  bool declarations_on;
  std::u16string after;  // with the caret marked
  int finished;          // FinishInsertion runs
};

const Case kCases[] = {
    {"IfThenAfterLineWithoutEnd",
     {"IfThen"},
     u"‸x = 1",
     {u"x > 5"},
     true,
     u"x = 1\r\nIf x > 5 Then\r\n    \r\nEnd If‸",
     0},
    {"IfThenOnEmptyBufferSpacesAnswer",
     {"IfThen"},
     u"‸",
     {u" "},
     true,
     u"\r\nIf   Then\r\n    \r\nEnd If‸",
     0},
    {"IfThenKeywordsTypedAppearTwice",
     {"IfThen"},
     u"a\r\n‸",
     {u"If x Then"},
     true,
     u"a\r\n\r\nIf If x Then Then\r\n    \r\nEnd If‸",
     0},
    {"IfThenElse",
     {"IfThenElse"},
     u"‸a\r\n",
     {u"c"},
     false,
     u"a\r\n\r\nIf c Then\r\n    \r\nElse\r\n    \r\nEnd If‸",
     0},
    {"DoLoop", {"DoLoop"}, u"‸", {u"Until x"}, true, u"\r\nDo Until x\r\n    \r\nLoop‸", 0},
    {"DoLoopUntil",
     {"DoLoopUntil"},
     u"‸Dim a ",
     {u"x = 1", u"y > 2"},
     true,
     u"Dim a \r\nDo x = 1\r\n    \r\nLoop Until y > 2‸",
     0},
    {"DoWhileLoop",
     {"DoWhileLoop"},
     u"‸",
     {u"n < 3"},
     true,
     u"\r\nDo While n < 3\r\n    \r\nLoop‸",
     0},
    {"ForNext",
     {"ForNext"},
     u"‸",
     {u"i = 1 To 10"},
     true,
     u"\r\nFor i = 1 To 10\r\n    \r\nNext‸",
     0},

    {"PauseOnEmptyDeclaresAtTop",
     {"Pause"},
     u"‸",
     {kAcceptDefault},
     true,
     u"Dim Current As Long\r\n‸" + kPauseBlock,
     0},
    {"PauseDimBelowLastDim",
     {"Pause"},
     u"Dim a As Integer\r\nx = 1‸",
     {kAcceptDefault},
     false,
     u"Dim a As Integer\r\nDim Current As Long\r\n‸x = 1" + kPauseBlock,
     0},
    {"PauseExactlyAtCaretMidWord",
     {"Pause"},
     u"a‸b",
     {u"2"},
     true,
     u"Dim Current As Long\r\n‸a\r\nCurrent = Timer\r\nDo Until Timer - Current >= 2\r\n"
     u"    DoEvents\r\nLoopb",
     0},
    {"PauseCounterAlreadyDeclared",
     {"Pause"},
     u"x\r\n' Dim Current As Variant‸",
     {kAcceptDefault},
     true,
     u"x\r\n' Dim Current As Variant\r\n‸" + kPauseBlock.substr(2),
     0},
    {"PauseLowerCaseDimIsNoAnchor",
     {"Pause"},
     u"dim x\r\n‸",
     {kAcceptDefault},
     true,
     u"Dim Current As Long\r\n‸dim x\r\n" + kPauseBlock,
     0},
    {"PauseBelowDeclare",
     {"Pause"},
     u"Declare Function F Lib \"k\" ()\r\nSub M()\r\n‸",
     {kAcceptDefault},
     true,
     u"Declare Function F Lib \"k\" ()\r\nDim Current As Long\r\n‸Sub M()\r\n" + kPauseBlock,
     0},

    {"SaveTextEndsWithoutLineEnd",
     {"SaveText"},
     u"‸",
     {u"c:\\a.txt", u"Text1.Text"},
     true,
     u"\r\nOpen \"c:\\a.txt\" For Output As #1\r\nPrint #1, Text1.Text\r\nClose #1‸",
     0},
    {"LoadText",
     {"LoadText"},
     u"x‸",
     {u"/tmp/a b.txt", u"Text1.Text"},
     true,
     u"x\r\nOpen \"/tmp/a b.txt\" For Input As #1\r\nText1.Text = Input$(LOF(1), 1)\r\n"
     u"Close #1‸",
     0},
    {"SaveListDimBelowDim",
     {"SaveList"},
     u"Dim x As Long\r\n‸",
     {u"f", u"List1"},
     true,
     u"Dim x As Long\r\nDim lngList As Long\r\n\r\nOpen \"f\" For Output As #1\r\n"
     u"For lngList& = 0& To List1.ListCount - 1\r\n    Print #1, List1.List(lngList&)\r\n"
     u"Next lngList&\r\nClose #1\r\n‸",
     0},
    {"LoadListKeyInComment",
     {"LoadList"},
     u"‸' Dim strHold As",
     {u"f", u"List1"},
     true,
     u"' Dim strHold As\r\nOpen \"f\" For Input As #1\r\nWhile Not EOF(1)\r\n"
     u"    Input #1, strHold$\r\n    DoEvents\r\n    List1.AddItem strHold$\r\nWend\r\n"
     u"Close #1\r\n‸",
     0},
    {"EncryptDefaultOnEmpty",
     {"EncryptString"},
     u"‸",
     {kAcceptDefault},
     true,
     kCipherDims + Cipher(u"strText$", kEncryptShift) + u"‸",
     0},
    {"EncryptTwiceDimsOnce",
     {"EncryptString", "EncryptString"},
     u"‸",
     {u"s$"},
     true,
     kCipherDims + Cipher(u"s$", kEncryptShift) + Cipher(u"s$", kEncryptShift) + u"‸",
     0},
    {"DecryptAfterEncryptAddsNoDims",
     {"EncryptString", "DecryptString"},
     u"‸",
     {kAcceptDefault},
     false,
     kCipherDims + Cipher(u"strText$", kEncryptShift) + Cipher(u"strText$", kDecryptShift) + u"‸",
     0},
    {"RunExeEndsWithoutLineEnd",
     {"RunExe"},
     u"‸",
     {u"c:\\p.exe"},
     true,
     u"\r\nIf Len(Dir$(\"c:\\p.exe\")) Then\r\n    Shell (\"c:\\p.exe\")\r\nEnd If‸",
     0},
    {"OpenUrlDefault",
     {"OpenUrl"},
     u"‸",
     {kAcceptDefault},
     true,
     u"\r\nShell (\"Explorer https://example.org/quillan\")‸",
     0},
    {"OpenUrlAsTyped",
     {"OpenUrl"},
     u"a\r\n‸",
     {u"example.org/\"x"},
     true,
     u"a\r\n\r\nShell (\"Explorer example.org/\"x\")‸",
     0},

    {"FormOnTopOnEmpty",
     {"FormOnTop"},
     u"‸",
     {u"Form1"},
     true,
     kOnTopDeclarations + u"‸" + kOnTopCall,
     1},
    {"FormOnTopOptionOff", {"FormOnTop"}, u"‸", {u"Form1"}, false, kOnTopCall + u"‸", 0},
    {"FormNotOnTopAfterOnTopAddsOneConstant",
     {"FormOnTop", "FormNotOnTop"},
     u"‸",
     {u"Form1"},
     true,
     u"Public Const HWND_NOTOPMOST = -2\r\n‸" + kOnTopDeclarations + kOnTopCall + kNotOnTopCall,
     2},
    {"FormOnTopAllPresentCaretAtStart",
     {"FormOnTop"},
     kOnTopDeclarations + u"Sub M()\r\n‸",
     {u"Form1"},
     true,
     u"‸" + kOnTopDeclarations + u"Sub M()\r\n" + kOnTopCall,
     1},
    {"FormOnTopKeysMatchAsSubstrings",
     {"FormOnTop"},
     u"' Declare Function SetWindowPos \r\nConst FLAGSX = 1\r\n‸",
     {u"Form1"},
     true,
     u"Public Const HWND_TOPMOST = -1\r\nPublic Const SWP_NOMOVE = &H2\r\n"
     u"Public Const SWP_NOSIZE = &H1\r\n‸' Declare Function SetWindowPos \r\n"
     u"Const FLAGSX = 1\r\n" +
         kOnTopCall,
     1},
    {"FormOnTopKeysAreCaseSensitive",
     {"FormOnTop"},
     u"const flags = 3‸",
     {u"Form1"},
     true,
     kOnTopDeclarations + u"‸const flags = 3" + kOnTopCall,
     1},
};

TEST(Generators, ProduceTheExactTextAndCaret) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Env env(c.before);
    env.store.Set("decs", "value", c.declarations_on ? "true" : "false");
    for (const std::string& name : c.generators) {
      for (const std::u16string& answer : c.answers) env.prompter.script.push_back(answer);
      Generators().at(name).run(env);
    }
    EXPECT_EQ(text::ToUtf8(Marked(env.buffer)), text::ToUtf8(c.after));
    EXPECT_TRUE(env.Modified());
    EXPECT_EQ(env.finished, c.finished);
  }
}

TEST(Generators, PauseKeepsASelectionAndInsertsBeforeIt) {
  Env env(u"a‸bc");
  env.buffer.SetSelLength(2);
  env.prompter.script.push_back(u"1");
  InsertPause(env.buffer, env.prompter);
  EXPECT_EQ(Marked(env.buffer),
            u"Dim Current As Long\r\n‸a\r\nCurrent = Timer\r\nDo Until Timer - Current >= 1\r\n"
            u"    DoEvents\r\nLoopbc");
}

TEST(Generators, TheOptionIsReadLiveNotFromTheStore) {
  Env env(u"‸");
  env.store.Set("decs", "value", "true");
  env.declarations.Set(false);
  env.prompter.script.push_back(u"Form1");
  InsertFormPlacement(Placement::kOnTop, env.buffer, env.prompter, env.declarations);
  EXPECT_EQ(Marked(env.buffer), kOnTopCall + u"‸");
}

}  // namespace
}  // namespace quillan::codegen
