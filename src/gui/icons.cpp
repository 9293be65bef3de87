#include "gui/icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>

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

QIcon ThemeIcon(const QString& name) {
  static const bool fallback_set = [] {
    // A platform without a desktop theme (offscreen) looks for themes nowhere; the
    // freedesktop folders are where they are installed.
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList data_dirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& dir : data_dirs) {
      if (!paths.contains(dir + "/icons")) paths << dir + "/icons";
    }
    QIcon::setThemeSearchPaths(paths);
    const QString theme = QIcon::themeName();
    const QString fallback = QIcon::fallbackThemeName();
    if ((theme.isEmpty() || theme == "hicolor") && (fallback.isEmpty() || fallback == "hicolor")) {
      // Without a theme name nothing is looked up, not even in the fallback.
      QIcon::setThemeName("hicolor");
      QIcon::setFallbackThemeName("Adwaita");
    }
    return true;
  }();
  (void)fallback_set;
  return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : QIcon();
}

QIcon ToolbarIcon(const char* theme_name, const char* glyph) {
  if (const QIcon themed = ThemeIcon(theme_name); !themed.isNull()) return themed;
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
