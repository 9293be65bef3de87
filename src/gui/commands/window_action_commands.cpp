#include "gui/commands/window_action_commands.h"

#include <QAction>
#include <string>

#include "codegen/dim_all.h"
#include "codegen/window_actions.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/select_variable_dialog.h"
#include "gui/windows/tool_windows.h"

namespace quillan::gui {

WindowActionCommands::WindowActionCommands(const ActionTable& actions, EditorBuffer& buffer,
                                           CodeEditor& editor,
                                           codegen::InsertDeclarations& declarations,
                                           ToolWindows& tools, const MessengerSource& messengers,
                                           codegen::PausePorts pause)
    : buffer_(buffer),
      editor_(editor),
      declarations_(declarations),
      messengers_(messengers),
      pause_(pause),
      dialog_(tools.Add<SelectVariableDialog>([this] {
        auto* dialog = new SelectVariableDialog(editor_.window(), declarations_);
        connect(dialog, &SelectVariableDialog::OkPressed, this, &WindowActionCommands::OkPressed);
        connect(dialog, &SelectVariableDialog::CancelPressed, this,
                &WindowActionCommands::CancelPressed);
        connect(dialog, &SelectVariableDialog::ClosedByFrame, this,
                &WindowActionCommands::ClosedByFrame);
        return dialog;
      })) {
  setObjectName("windowActionCommands");
  for (const codegen::WindowAction& action : codegen::WindowActions()) {
    QAction* item = actions.Action(ToQString(action.menu_item));
    if (item == nullptr) continue;
    const std::u16string_view tag = action.tag;
    connect(item, &QAction::triggered, this, [this, tag] { AskForVariable(tag); });
  }
  if (QAction* dim_all = actions.Action("Dim_vars")) {
    connect(dim_all, &QAction::triggered, this, &WindowActionCommands::DimAllClick);
  }
}

WindowActionCommands::~WindowActionCommands() = default;

SelectVariableDialog* WindowActionCommands::dialog() const { return dialog_.Existing(); }

void WindowActionCommands::AskForVariable(std::u16string_view tag) {
  codegen::TakeCodeLines(buffer_, state_, pause_);
  // The dialog is made here, hidden, even when no names turn up: making it loads the option
  // afresh from the store, which the Code Generator's check box follows.
  dialog_.Get();
  const codegen::Discovery found =
      codegen::DiscoverHandleVariables(tag, state_, pause_, messengers_(*editor_.window()));
  if (found != codegen::Discovery::kShowDialog) return;
  // The main window takes no input while the dialog is up; the code that showed it goes on.
  dialog_.Show().Present(state_.names, state_.action_tag);
}

void WindowActionCommands::DimAllClick() {
  // No edit group around the command: its pauses let events run, and an open group would
  // hold back the editor's change notifications meanwhile. The command changes the text at
  // most once, which is one undo step by itself.
  codegen::DimAllVariables(buffer_, pause_, messengers_(*editor_.window()));
}

void WindowActionCommands::OkPressed() {
  SelectVariableDialog* shown = dialog();
  if (shown == nullptr) return;
  // The run empties the pending tag, so keep a copy. A refusal stands above the dialog, which
  // stays on top of every window.
  const std::u16string tag = state_.action_tag;
  codegen::InsertionOutcome outcome;
  {
    EditorBuffer::Command guard(buffer_);
    outcome = codegen::AcceptVariable(tag, shown->SelectedVariable(), buffer_, declarations_,
                                      messengers_(*shown));
  }
  EndRun(outcome);
}

void WindowActionCommands::EndRun(const codegen::InsertionOutcome& outcome) {
  if (outcome.finished) {
    state_ = {};
    // Hiding the dialog gives the main window its input back.
    if (SelectVariableDialog* shown = dialog()) shown->Reset(true);
    FocusEditor();
  }
  // The note comes once the dialog is hidden and the inserted code is on the screen.
  if (!outcome.note.empty()) {
    codegen::ShowActionNote(messengers_(*editor_.window()), outcome.note);
  }
}

void WindowActionCommands::CancelPressed() {
  declarations_.Store();
  state_.code_lines.clear();
  state_.names.clear();
  // The tag stays until the next menu item sets another; the dialog is only hidden.
  if (SelectVariableDialog* shown = dialog()) shown->Reset(false);
  FocusEditor();
}

void WindowActionCommands::ClosedByFrame() {
  // As Cancel, except that the dialog goes away with its tag.
  declarations_.Store();
  state_ = {};
  FocusEditor();
}

void WindowActionCommands::FocusEditor() {
  // The owner of the windows gave the main window its input back as the dialog went.
  editor_.window()->activateWindow();
  editor_.setFocus();
}

}  // namespace quillan::gui
