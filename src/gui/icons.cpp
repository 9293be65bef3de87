#include "gui/icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillan::gui {

namespace {

QPixmap DrawGlyph(const QString& glyph, int size, const QColor& fill) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath frame;
  frame.addRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 5.0, size / 5.0);
  p.fillPath(frame, fill);
  p.setPen(fill.darker(160));
  p.drawPath(frame);
  QFont font;
  font.setBold(true);
  font.setPixelSize(size * 2 / 3);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
  return pixmap;
}

}  // namespace

QIcon ToolbarIcon(const char* theme_name, const char* glyph) {
  if (QIcon::hasThemeIcon(theme_name)) return QIcon::fromTheme(theme_name);
  QIcon icon;
  const QColor fill(0x3A, 0x6E, 0xA5);
  for (int size : {16, 24, 32}) icon.addPixmap(DrawGlyph(QString::fromUtf8(glyph), size, fill));
  return icon;
}

QIcon AppIcon() {
  QIcon icon;
  const QColor fill(0x6A, 0x3D, 0x9A);
  for (int size : {16, 32, 48, 64}) icon.addPixmap(DrawGlyph("Q", size, fill));
  return icon;
}

}  // namespace quillan::gui
