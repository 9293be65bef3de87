#pragma once

#include <QDialog>

#include "wintools/api_spy.h"
#include "wintools/window_system.h"

class QLineEdit;

namespace quillan::gui {

class PickerArrow;

/// `frmAPISpy`: drag the arrow over a window to see its handle, text and class and those of
/// its parent. Modeless, above all windows; Close only hides it, so its fields and the last
/// inspected handle last as long as the program.
class ApiSpyWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit ApiSpyWindow(wintools::WindowSystem& windows);

  const wintools::ApiSpy& spy() const { return spy_; }

 private:
  void Inspect();

  wintools::WindowSystem& windows_;
  wintools::ApiSpy spy_;
  PickerArrow* arrow_;
  QLineEdit* fields_[6];
};

/// The flags every window tool has: a tool window's frame without minimize or maximize,
/// above all windows.
void MakeToolWindow(QDialog& window, const char* object_name, const char* caption);

}  // namespace quillan::gui
