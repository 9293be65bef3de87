#pragma once

#include <QDialog>
#include <utility>
#include <vector>

#include "gui/windows/modify_text_dialog.h"
#include "gui/windows/tool_windows.h"
#include "wintools/pick_highlight.h"
#include "wintools/window_spy.h"
#include "wintools/window_system.h"

class QLineEdit;
class QPushButton;

namespace quillan::gui {

class PickerArrow;

/// `frmWinSpy`: pick a window with the arrow (or type its handle) and hide, show, retitle,
/// enable, disable, minimize, maximize, restore or close it. What the window system cannot do
/// to the window in the box is said in the buttons' tooltips, and those buttons are disabled;
/// they follow the box as it changes. While the arrow is dragged, the outline `highlight`
/// surrounds the window under it.
class WindowSpyWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain,
                                          settings::section::kWindowSpyPlace};

  /// Modify Text is one of `tools`.
  WindowSpyWindow(wintools::WindowSystem& windows, wintools::PickHighlight& highlight,
                  ToolWindows& tools);
  ~WindowSpyWindow() override;

  /// The Modify Text dialog while it exists.
  ModifyTextDialog* modify_text() const { return modify_text_.Existing(); }

 private:
  void OpenModifyText(bool caption);
  // Enables the action buttons by what the window system can do to the window in the box.
  void ShowLimits();

  wintools::WindowSystem& windows_;
  wintools::PickTracker tracker_;
  PickerArrow* arrow_;
  QLineEdit* handle_;
  ToolWindowSlot<ModifyTextDialog> modify_text_;
  std::vector<std::pair<QPushButton*, wintools::SpyAction>> action_buttons_;
};

}  // namespace quillan::gui
