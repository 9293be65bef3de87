#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <string_view>

#include "codegen/handle_variables.h"
#include "codegen/primitives.h"
#include "gui/select_variable_dialog.h"
#include "ui/clock.h"

namespace quillan::gui {

class MainWindow;

/// The window actions and Dim All Variables of the main window: the menu items that ask for
/// a handle variable, the Select Variable dialog they show, what its buttons do, and the
/// state they share. Owned by the main window.
class WindowActionCommands final : public QObject,
                                   private codegen::InsertionHost,
                                   private codegen::DiscoveryHost {
  Q_OBJECT

 public:
  explicit WindowActionCommands(MainWindow& window);
  ~WindowActionCommands() override;

  /// Runs `Pause` on these instead of the system clock and Qt's event loop (tests); null
  /// restores the defaults.
  void SetPausePorts(const ui::Clock* clock, ui::EventPump* pump);

  /// The Select Variable dialog; nullptr until first used and after it was closed.
  SelectVariableDialog* dialog() const { return dialog_; }
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
  void ReleaseMainWindow();
  codegen::PausePorts pause_ports();

  // codegen::InsertionHost
  void ResetVariableDialog() override;
  void ClearWorkList() override;
  void EnableAndFocusMainWindow() override;
  // codegen::DiscoveryHost
  void CreateVariableDialog() override;
  void ShowVariableDialog() override;

  MainWindow& window_;
  codegen::HandleVariableState state_;
  QPointer<SelectVariableDialog> dialog_;
  std::unique_ptr<ui::Clock> own_clock_;
  std::unique_ptr<ui::EventPump> own_pump_;
  const ui::Clock* clock_;
  ui::EventPump* pump_;
};

/// Makes the window's `WindowActionCommands` and connects its menu items.
void InstallWindowActionCommands(MainWindow& window);

}  // namespace quillan::gui
