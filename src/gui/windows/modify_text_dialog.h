#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "gui/windows/tool_windows.h"
#include "wintools/window_system.h"

class QGroupBox;
class QLineEdit;

namespace quillan::gui {

/// `frmText`, Modify Text: the caption or text of Window Spy's target, to change and send.
/// While it is shown neither the main window nor Window Spy takes input; Close, or closing it
/// through its frame, ends the dialog.
class ModifyTextDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainAndOpenerDisabled,
                                          FirstPlace::kCenteredOnMain};

  /// `target` reads the handle from Window Spy's box at the moment of each Change.
  ModifyTextDialog(wintools::WindowSystem& windows,
                   std::function<std::optional<wintools::Hwnd>()> target);
  ~ModifyTextDialog() override;

  /// Caption mode ("Modify Caption") or text mode ("Modify Text"), both in the frame
  /// "Control": the title, and the target's caption or text in the box.
  void Load(bool caption);

 private:
  wintools::WindowSystem& windows_;
  std::function<std::optional<wintools::Hwnd>()> target_;
  QGroupBox* frame_;
  QLineEdit* text_;
};

}  // namespace quillan::gui
