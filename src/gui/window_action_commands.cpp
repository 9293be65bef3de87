#include "gui/window_action_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>
#include <string>

#include "codegen/dim_all.h"
#include "codegen/window_actions.h"
#include "gui/codegen_commands.h"
#include "gui/editor_buffer.h"
#include "gui/main_window.h"
#include "gui/qt_convert.h"
#include "gui/qt_ports.h"
#include "gui/select_variable_dialog.h"

namespace quillan::gui {

WindowActionCommands::WindowActionCommands(MainWindow& window)
    : QObject(&window),
      window_(window),
      own_clock_(std::make_unique<QtClock>()),
      own_pump_(std::make_unique<QtEventPump>()),
      clock_(own_clock_.get()),
      pump_(own_pump_.get()) {
  setObjectName("windowActionCommands");
  for (const codegen::WindowAction& action : codegen::WindowActions()) {
    QAction* item = window.Action(ToQString(action.menu_item));
    if (item == nullptr) continue;
    const std::u16string_view tag = action.tag;
    connect(item, &QAction::triggered, this, [this, tag] { AskForVariable(tag); });
  }
  if (QAction* dim_all = window.Action("Dim_vars")) {
    connect(dim_all, &QAction::triggered, this, &WindowActionCommands::DimAllClick);
  }
  // The presets that end like a window action reset this dialog too.
  SetInsertionHost(window, this);
}

WindowActionCommands::~WindowActionCommands() = default;

void WindowActionCommands::SetPausePorts(const ui::Clock* clock, ui::EventPump* pump) {
  clock_ = clock != nullptr ? clock : own_clock_.get();
  pump_ = pump != nullptr ? pump : own_pump_.get();
}

codegen::PausePorts WindowActionCommands::pause_ports() { return {*clock_, *pump_}; }

void WindowActionCommands::AskForVariable(std::u16string_view tag) {
  codegen::DiscoverHandleVariables(tag, window_.buffer(), state_, *this, pause_ports(),
                                   window_.messenger());
}

void WindowActionCommands::DimAllClick() {
  // No edit group around the command: its pauses let events run, and an open group would
  // hold back the editor's change notifications meanwhile. The command changes the text at
  // most once, which is one undo step by itself.
  codegen::DimAllVariables(window_.buffer(), pause_ports(), window_.messenger());
}

void WindowActionCommands::OkPressed() {
  if (!dialog_) return;
  // The run empties the pending tag, so keep a copy.
  const std::u16string tag = state_.action_tag;
  codegen::ActionOutcome outcome;
  {
    EditorBuffer::Command guard(window_.buffer());
    outcome = codegen::AcceptVariable(tag, dialog_->SelectedVariable(), window_.buffer(),
                                      InsertDeclarationsOf(window_), *this, window_.messenger());
  }
  // The note comes once the dialog is hidden and the inserted code is on the screen.
  if (!outcome.note.empty()) codegen::ShowActionNote(window_.messenger(), outcome.note);
}

void WindowActionCommands::CancelPressed() {
  InsertDeclarationsOf(window_).Store();
  state_.code_lines.clear();
  state_.names.clear();
  ReleaseMainWindow();
  // The tag stays until the next menu item sets another; the dialog is only hidden.
  if (dialog_) dialog_->Reset(false);
}

void WindowActionCommands::ClosedByFrame() {
  // As Cancel, except that the dialog goes away with its tag.
  InsertDeclarationsOf(window_).Store();
  state_ = {};
  ReleaseMainWindow();
}

void WindowActionCommands::ReleaseMainWindow() {
  window_.setEnabled(true);
  window_.activateWindow();
  window_.editor()->setFocus();
}

void WindowActionCommands::ResetVariableDialog() {
  state_.names.clear();
  state_.action_tag.clear();
  if (dialog_) dialog_->Reset(true);
}

void WindowActionCommands::ClearWorkList() { state_.code_lines.clear(); }

void WindowActionCommands::EnableAndFocusMainWindow() { ReleaseMainWindow(); }

void WindowActionCommands::CreateVariableDialog() {
  if (dialog_) return;
  dialog_ = new SelectVariableDialog(&window_, InsertDeclarationsOf(window_));
  connect(dialog_, &SelectVariableDialog::OkPressed, this, &WindowActionCommands::OkPressed);
  connect(dialog_, &SelectVariableDialog::CancelPressed, this,
          &WindowActionCommands::CancelPressed);
  connect(dialog_, &SelectVariableDialog::ClosedByFrame, this,
          &WindowActionCommands::ClosedByFrame);
}

void WindowActionCommands::ShowVariableDialog() {
  CreateVariableDialog();
  // The main window takes no input while the dialog is up, but the dialog, a window of its
  // own, must: a disabled parent disables its child windows too, so enable it again.
  window_.setEnabled(false);
  dialog_->setEnabled(true);
  dialog_->Present(state_.names, state_.action_tag);
}

void InstallWindowActionCommands(MainWindow& window) { new WindowActionCommands(window); }

}  // namespace quillan::gui
