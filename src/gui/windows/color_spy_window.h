#pragma once

#include <QDialog>

#include "gui/windows/tool_windows.h"
#include "wintools/window_spy.h"
#include "wintools/window_system.h"

class QFrame;
class QGroupBox;
class QLineEdit;
class QTimer;

namespace quillan::gui {

class PickerArrow;

/// `frmSpy`, Color Spy: while the arrow is dragged, a 1 ms timer reads the pixel under the
/// pointer and shows it as a swatch, its value, its red, green and blue parts and its HTML
/// code. The pointer and the pixel are both in the screen's device pixels, so no scaling
/// stands between them. Close only hides the window.
class ColorSpyWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain};

  explicit ColorSpyWindow(wintools::WindowSystem& windows);

  const wintools::ColorSpy& spy() const { return spy_; }
  bool sampling() const;
  /// The spectrum picture `Picture2`, 187 x 16 pixels.
  static QImage Spectrum();

 public slots:
  /// One tick of `Timer1`.
  void Sample();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void StopWhenIdle();

  wintools::WindowSystem& windows_;
  wintools::ColorSpy spy_;
  PickerArrow* arrow_;
  QGroupBox* frame_;
  QFrame* swatch_;
  QLineEdit* fields_[5];
  QTimer* timer_;
};

}  // namespace quillan::gui
