#pragma once

#include <QDialog>
#include <QPointer>

#include "wintools/window_spy.h"
#include "wintools/window_system.h"

class QLineEdit;

namespace quillan::gui {

class PickerArrow;

/// `frmText`, Modify Text: the caption or text of Window Spy's target, to change and send.
/// While it exists the main window and Window Spy take no input; Close, or closing it through
/// its frame, enables them again and ends the dialog.
class ModifyTextDialog final : public QDialog {
  Q_OBJECT

 public:
  /// `target` reads the handle from Window Spy's box at the moment of each Change.
  ModifyTextDialog(wintools::WindowSystem& windows,
                   std::function<std::optional<wintools::Hwnd>()> target, QWidget& main_window,
                   QWidget& window_spy);
  ~ModifyTextDialog() override;

  /// Caption mode ("Modify Caption", frame "Control") or text mode ("Modify Text").
  void Open(bool caption);

 private:
  wintools::WindowSystem& windows_;
  std::function<std::optional<wintools::Hwnd>()> target_;
  QPointer<QWidget> main_window_;
  QPointer<QWidget> window_spy_;
  QLineEdit* text_;
};

/// `frmWinSpy`: pick a window with the arrow (or type its handle) and hide, show, retitle,
/// enable, disable, minimize, maximize, restore or close it. What this session's window system
/// cannot do is said in the buttons' tooltips, and those buttons are disabled.
class WindowSpyWindow final : public QDialog {
  Q_OBJECT

 public:
  WindowSpyWindow(wintools::WindowSystem& windows, QWidget& main_window);
  ~WindowSpyWindow() override;

  /// The Modify Text dialog while it exists.
  ModifyTextDialog* modify_text() const { return modify_text_; }

 private:
  void OpenModifyText(bool caption);

  wintools::WindowSystem& windows_;
  QWidget& main_window_;
  PickerArrow* arrow_;
  QLineEdit* handle_;
  QPointer<ModifyTextDialog> modify_text_;
};

}  // namespace quillan::gui
