#pragma once

#include <QDialog>

#include "gui/windows/tool_windows.h"
#include "wintools/api_spy.h"
#include "wintools/pick_highlight.h"
#include "wintools/window_system.h"

class QLineEdit;

namespace quillan::gui {

class PickerArrow;

/// `frmAPISpy`: drag the arrow over a window to see its handle, text and class and those of
/// its parent. Modeless, above all windows; Close only hides it, so its fields and the last
/// inspected handle last as long as the program. While the arrow is dragged, the outline
/// `highlight` surrounds the window under it.
class ApiSpyWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain,
                                          settings::section::kApiSpyPlace};

  ApiSpyWindow(wintools::WindowSystem& windows, wintools::PickHighlight& highlight);

  const wintools::ApiSpy& spy() const { return spy_; }

 private:
  void ShowFields();

  wintools::WindowSystem& windows_;
  wintools::ApiSpy spy_;
  wintools::PickTracker tracker_;
  PickerArrow* arrow_;
  QLineEdit* fields_[6];
};

}  // namespace quillan::gui
