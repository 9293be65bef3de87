#pragma once

#include <QObject>
#include <string_view>

#include "codegen/handle_variables.h"
#include "codegen/primitives.h"
#include "gui/widgets/action_table.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/select_variable_dialog.h"
#include "gui/windows/tool_windows.h"

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;

/// The window actions and Dim All Variables of the main window: the menu items that ask for
/// a handle variable, the Select Variable dialog they show, what its buttons do, and the
/// state they share.
class WindowActionCommands final : public QObject {
  Q_OBJECT

 public:
  /// Serves the items of `actions` on the editor; the Select Variable dialog `frmVar` is one
  /// of the tool windows.
  WindowActionCommands(const ActionTable& actions, EditorBuffer& buffer, CodeEditor& editor,
                       codegen::InsertDeclarations& declarations, ToolWindows& tools,
                       const MessengerSource& messengers, codegen::PausePorts pause);
  ~WindowActionCommands() override;

  /// Does what a run of the code insertion engine leaves to the windows, once its edits are
  /// done: when it finished, resets the Select Variable dialog and the shared state and gives
  /// the main window back the focus; then shows its note, above the main window. The presets
  /// that end like a window action use it too.
  void EndRun(const codegen::InsertionOutcome& outcome);

  /// The Select Variable dialog; nullptr until first used and after it was closed.
  SelectVariableDialog* dialog() const;
  /// The work list, the candidate names and the pending tag.
  const codegen::HandleVariableState& state() const { return state_; }

  /// A window-action menu item: discovery, then the dialog with `tag` pending.
  void AskForVariable(std::u16string_view tag);
  /// Dim All Variables (menu, Ctrl+D, toolbar).
  void DimAllClick();

 private:
  void OkPressed();
  void CancelPressed();
  void ClosedByFrame();
  void FocusEditor();

  EditorBuffer& buffer_;
  CodeEditor& editor_;
  codegen::InsertDeclarations& declarations_;
  MessengerSource messengers_;
  codegen::PausePorts pause_;
  codegen::HandleVariableState state_;
  ToolWindowSlot<SelectVariableDialog> dialog_;
};

}  // namespace quillan::gui
