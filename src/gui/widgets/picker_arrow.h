#pragma once

#include <QPixmap>
#include <QWidget>

class QTimer;

namespace quillan::gui {

/// `Picture1` of the picking tools: the arrow the user drags out of the tool and drops on
/// another program's window. A press (of the buttons the tool accepts) makes the arrow leave
/// its place and become the mouse pointer, and grabs the mouse until the release, so that the
/// moves over other programs' windows arrive here.
class PickerArrow final : public QWidget {
  Q_OBJECT

 public:
  /// Which presses start a drag: the left button only, or any.
  enum class Starts { kLeftButton, kAnyButton };
  PickerArrow(Starts starts, QWidget* parent);

  bool dragging() const { return dragging_; }
  /// The 32 x 32 arrow, hot spot (6, 0), as the grip and as the pointer.
  static QPixmap ArrowPixmap();
  static QCursor ArrowCursor();
  QSize sizeHint() const override { return {32, 32}; }
  static constexpr int kRestInterval = 50;  ///< milliseconds

 signals:
  /// A drag began: the arrow is the pointer now.
  void Started();
  /// A mouse move during the drag, with the buttons held; repeated every kRestInterval while
  /// the pointer rests, so that what the window under it shows can change without a move
  /// (an answer that needed a moment).
  void Moved(Qt::MouseButtons held);
  /// A release of `button` on the arrow; the drag, if any, is over.
  void Released(Qt::MouseButton button);
  /// The drag ended without a release: the arrow was hidden (its window closed) meanwhile.
  void Cancelled();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Ends the drag: the pointer and the arrow back in their places.
  void EndDrag();

  Starts starts_;
  bool dragging_ = false;
  Qt::MouseButtons held_;  // during the drag, as the last mouse event had them
  QTimer* rest_;
};

}  // namespace quillan::gui
