#pragma once

#include <QDialog>

#include "gui/windows/tool_windows.h"
#include "wintools/window_spy.h"
#include "wintools/window_system.h"

class QFrame;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace quillan::gui {

class PickerArrow;

/// `picZoom`: the pixels around the pointer, each drawn as a square, the one under the
/// pointer outlined.
class Magnifier final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSide = 11;  ///< pixels a side, the pointer's in the middle
  static constexpr int kScale = 8;  ///< screen pixels a pixel takes

  explicit Magnifier(QWidget* parent);
  /// Shows kSide x kSide pixels, row by row (colour values; kClrInvalid shown grey).
  void Show(const std::vector<std::uint32_t>& pixels);
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

/// `frmSpy`, Color Spy: while the arrow is dragged, a 1 ms timer reads the pixel under the
/// pointer and shows it as a swatch, its value, its red, green and blue parts and its HTML
/// code; beside them the two forms Visual Basic code writes a colour in, one of which Copy
/// puts on the clipboard, and a magnified view of the pixels around the pointer. The pointer
/// and the pixels are all in the screen's device pixels, so no scaling stands between them.
/// Close only hides the window.
class ColorSpyWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain,
                                          settings::section::kColorSpyPlace};

  explicit ColorSpyWindow(wintools::WindowSystem& windows);

  const wintools::ColorSpy& spy() const { return spy_; }
  bool sampling() const;
  /// The spectrum picture `Picture2`, 187 x 16 pixels.
  static QImage Spectrum();

 public slots:
  /// One tick of `Timer1`.
  void Sample();
  /// Puts the chosen Visual Basic form of the colour on the clipboard.
  void CopyClick();

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
  QLineEdit* fields_[7];
  QRadioButton* as_hex_;
  Magnifier* magnifier_;
  QTimer* timer_;
};

}  // namespace quillan::gui
