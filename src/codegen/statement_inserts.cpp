#include "codegen/statement_inserts.h"

#include <array>
#include <string_view>

#include "codegen/primitives.h"
#include "codegen/prompts_and_templates.h"

namespace quillan::codegen {

namespace {

struct StatementSpec {
  std::u16string_view prompt;
  std::u16string_view second_prompt;  // empty for the statements with one prompt
  std::u16string_view opening;        // a template: "{1}" and "{2}" are the answers
  std::u16string_view closing;
};

// Do/Loop and Do/Loop Until ask the same first question.
constexpr std::u16string_view kDoPrompt =
    u"Enter the do statement. Note: Do and Loop are not required, they will be put into the "
    u"statement automatically.";

constexpr StatementSpec kStatements[] = {
    // kIfThen
    {
        u"Enter the if statement. Note: If and Then are not required, they will be put into the "
        u"if statement automatically.",
        {},
        u"\r\nIf {1} Then\r\n",
        u"    \r\nEnd If",
    },
    // kIfThenElse
    {
        u"Enter the if statement. Note: If, Then, and Else are not required, they will be put "
        u"into the if statement automatically.",
        {},
        u"\r\nIf {1} Then\r\n",
        u"    \r\nElse\r\n    \r\nEnd If",
    },
    // kDoLoop
    {
        kDoPrompt,
        {},
        u"\r\nDo {1}\r\n",
        u"    \r\nLoop",
    },
    // kDoLoopUntil
    {
        kDoPrompt,
        u"Enter the loop until statement. Note: Loop Until is not required, they will be put into "
        u"the statement automatically.",
        u"\r\nDo {1}\r\n",
        u"    \r\nLoop Until {2}",
    },
    // kDoWhileLoop
    {
        u"Enter the do statement. Note: Do, While and Loop are not required, they will be put into "
        u"the statement automatically.",
        {},
        u"\r\nDo While {1}\r\n",
        u"    \r\nLoop",
    },
    // kForNext
    {
        u"Enter the for statement. Note: For and Next are not required, they will be put into the "
        u"statement automatically.",
        {},
        u"\r\nFor {1}\r\n",
        u"    \r\nNext",
    }};

constexpr PromptSpec kPausePrompt{u"Enter the length of the pause.", u"0.7"};
constexpr std::u16string_view kPauseLoop =
    u"\r\nCurrent = Timer\r\n"
    u"Do Until Timer - Current >= {1}\r\n"
    u"    DoEvents\r\n"
    u"Loop";
constexpr KeyedLine kPauseCounter{u"Dim Current As", u"Dim Current As Long"};

void RunStatement(const StatementSpec& statement, text::CodeBuffer& buffer,
                  ui::Prompter& prompter) {
  const std::array<PromptSpec, 2> prompts{{{statement.prompt, {}}, {statement.second_prompt, {}}}};
  const auto answers =
      AskAll(prompter, std::span(prompts).first(statement.second_prompt.empty() ? 1 : 2));
  if (!answers) return;
  const std::array<std::u16string_view, 2> pieces{statement.opening, statement.closing};
  // One append of the whole block gives the same text as appending the opening and the
  // closing in turn, with one edit instead of two.
  AppendCode(buffer, ExpandTemplate(pieces, AnswerPlaceholders(*answers)));
  // AppendCode leaves the caret at the end of the buffer, where the statement commands end.
}

}  // namespace

void InsertStatement(Statement statement, text::CodeBuffer& buffer, ui::Prompter& prompter) {
  RunStatement(kStatements[static_cast<std::size_t>(statement)], buffer, prompter);
}

void InsertPause(text::CodeBuffer& buffer, ui::Prompter& prompter) {
  const auto answers = AskAll(prompter, std::span(&kPausePrompt, 1));
  if (!answers) return;
  // Exactly at the caret: a selection is not replaced, the loop goes in before it.
  if (buffer.SelLength() != 0) buffer.SetSelStart(buffer.SelStart());
  const std::array<std::u16string_view, 1> pieces{kPauseLoop};
  buffer.SetSelText(ExpandTemplate(pieces, AnswerPlaceholders(*answers)));
  EnsureDimLine(buffer, kPauseCounter.key, kPauseCounter.line);
}

}  // namespace quillan::codegen
