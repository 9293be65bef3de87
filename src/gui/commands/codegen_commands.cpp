#include "gui/commands/codegen_commands.h"

#include <QAction>

#include "codegen/code_presets.h"
#include "codegen/statement_inserts.h"
#include "gui/commands/web_sites.h"
#include "gui/commands/window_action_commands.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "text/vb_string.h"

namespace quillan::gui {

namespace {

using codegen::InsertFormPlacement;
using codegen::InsertOpenUrl;
using codegen::InsertPause;
using codegen::InsertRoutine;
using codegen::InsertStatement;
using codegen::Placement;
using codegen::Routine;
using codegen::Statement;

struct Ports {
  text::CodeBuffer& buffer;
  ui::Prompter& prompter;
  codegen::InsertDeclarations& declarations;
  codegen::InsertionOutcome& outcome;  // filled by the presets that end like a window action
};

struct Command {
  const char* action;
  void (*run)(const Ports& ports);
};

// The menu items by their object names. "Loop_Appear" and "Loop_Gone" of Code Inserts are
// window actions and are wired with the Select Variable dialog.
constexpr Command kCommands[] = {
    {"If_Then", [](const Ports& p) { InsertStatement(Statement::kIfThen, p.buffer, p.prompter); }},
    {"If_Then_Else",
     [](const Ports& p) { InsertStatement(Statement::kIfThenElse, p.buffer, p.prompter); }},
    {"Do_Loop", [](const Ports& p) { InsertStatement(Statement::kDoLoop, p.buffer, p.prompter); }},
    {"Do_Loop_Until",
     [](const Ports& p) { InsertStatement(Statement::kDoLoopUntil, p.buffer, p.prompter); }},
    {"Do_While",
     [](const Ports& p) { InsertStatement(Statement::kDoWhileLoop, p.buffer, p.prompter); }},
    {"For_Next",
     [](const Ports& p) { InsertStatement(Statement::kForNext, p.buffer, p.prompter); }},
    {"Code_Pause", [](const Ports& p) { InsertPause(p.buffer, p.prompter); }},
    {"Save_Text", [](const Ports& p) { InsertRoutine(Routine::kSaveText, p.buffer, p.prompter); }},
    {"Load_Text", [](const Ports& p) { InsertRoutine(Routine::kLoadText, p.buffer, p.prompter); }},
    {"Save_List", [](const Ports& p) { InsertRoutine(Routine::kSaveList, p.buffer, p.prompter); }},
    {"Load_List", [](const Ports& p) { InsertRoutine(Routine::kLoadList, p.buffer, p.prompter); }},
    {"Encrypt_String",
     [](const Ports& p) { InsertRoutine(Routine::kEncryptString, p.buffer, p.prompter); }},
    {"Decrypt_String",
     [](const Ports& p) { InsertRoutine(Routine::kDecryptString, p.buffer, p.prompter); }},
    {"Run_EXE", [](const Ports& p) { InsertRoutine(Routine::kRunExe, p.buffer, p.prompter); }},
    {"Link_IE",
     [](const Ports& p) { InsertOpenUrl(p.buffer, p.prompter, text::FromUtf8(kHomePageUrl)); }},
    {"Form_On_Top",
     [](const Ports& p) {
       p.outcome = InsertFormPlacement(Placement::kOnTop, p.buffer, p.prompter, p.declarations);
     }},
    {"Form_Not_On_Top",
     [](const Ports& p) {
       p.outcome = InsertFormPlacement(Placement::kNotOnTop, p.buffer, p.prompter, p.declarations);
     }},
};

}  // namespace

CodegenCommands::CodegenCommands(const ActionTable& actions, EditorBuffer& buffer,
                                 CodeEditor& editor, ui::Prompter& prompter,
                                 codegen::InsertDeclarations& declarations,
                                 WindowActionCommands& window_actions) {
  setObjectName("codegenCommands");
  for (const Command& command : kCommands) {
    QAction* action = actions.Action(command.action);
    if (action == nullptr) continue;
    connect(action, &QAction::triggered, this,
            [&buffer, &editor, &prompter, &declarations, &window_actions, &command] {
              codegen::InsertionOutcome outcome;
              {
                // One undo step and one caret update for all the edits of the command.
                EditorBuffer::Command guard(buffer);
                command.run({buffer, prompter, declarations, outcome});
              }
              window_actions.EndRun(outcome);
              editor.window()->activateWindow();
              editor.setFocus();
            });
  }
}

}  // namespace quillan::gui
