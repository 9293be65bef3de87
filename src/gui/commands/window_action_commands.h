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
class WindowActionCommands final : public QObject,
                                   private codegen::InsertionHost,
                                   private codegen::DiscoveryHost {
  Q_OBJECT

 public:
  /// Serves the items of `actions` on the editor; the Select Variable dialog `frmVar` is one
  /// of the tool windows.
  WindowActionCommands(const ActionTable& actions, EditorBuffer& buffer, CodeEditor& editor,
                       codegen::InsertDeclarations& declarations, ToolWindows& tools,
                       const MessengerSource& messengers, codegen::PausePorts pause);
  ~WindowActionCommands() override;

  /// What ends a window-action run, for the presets that end like one.
  codegen::InsertionHost& insertion_host() { return *this; }

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

  // codegen::InsertionHost
  void ResetVariableDialog() override;
  void ClearWorkList() override;
  void EnableAndFocusMainWindow() override;
  // codegen::DiscoveryHost
  void CreateVariableDialog() override;
  void ShowVariableDialog() override;

  EditorBuffer& buffer_;
  CodeEditor& editor_;
  codegen::InsertDeclarations& declarations_;
  MessengerSource messengers_;
  codegen::PausePorts pause_;
  codegen::HandleVariableState state_;
  ToolWindowSlot<SelectVariableDialog> dialog_;
};

}  // namespace quillan::gui
