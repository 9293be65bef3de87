#include "gui/widgets/picker_arrow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>

namespace quillan::gui {

PickerArrow::PickerArrow(Starts starts, QWidget* parent)
    : QWidget(parent), starts_(starts), rest_(new QTimer(this)) {
  setObjectName("Picture1");
  setFixedSize(32, 32);
  setToolTip("Drag me over a window");
  rest_->setInterval(kRestInterval);
  connect(rest_, &QTimer::timeout, this, [this] {
    if (dragging_) emit Moved(held_);
  });
}

QPixmap PickerArrow::ArrowPixmap() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // The classic arrow, its tip at the hot spot (6, 0).
  const QPolygon arrow({{6, 0}, {6, 22}, {11, 17}, {15, 26}, {18, 25}, {14, 16}, {21, 16}});
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawPolygon(arrow);
  return pixmap;
}

QCursor PickerArrow::ArrowCursor() { return QCursor(ArrowPixmap(), 6, 0); }

void PickerArrow::paintEvent(QPaintEvent*) {
  // While it is dragged, the arrow is the pointer and its place stays empty.
  if (dragging_) return;
  QPainter(this).drawPixmap(0, 0, ArrowPixmap());
}

void PickerArrow::mousePressEvent(QMouseEvent* event) {
  if (starts_ == Starts::kLeftButton && event->button() != Qt::LeftButton) return;
  dragging_ = true;
  held_ = event->buttons();
  update();
  grabMouse(ArrowCursor());
  rest_->start();
  emit Started();
}

void PickerArrow::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  held_ = event->buttons();
  rest_->start();  // the next repeat comes a full interval after this move
  emit Moved(held_);
}

void PickerArrow::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) EndDrag();
  emit Released(event->button());
}

void PickerArrow::hideEvent(QHideEvent* event) {
  // A window closed during the drag (Escape) gets no release: the drag ends here, and no
  // repeat runs on behind a hidden window.
  if (dragging_) {
    EndDrag();
    emit Cancelled();
  }
  QWidget::hideEvent(event);
}

void PickerArrow::EndDrag() {
  dragging_ = false;
  rest_->stop();
  releaseMouse();
  update();
}

}  // namespace quillan::gui
