#include "gui/widgets/icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>
#include <QSvgRenderer>

// The icons' resources live in this static library; the linker keeps them only when they
// are initialised by name.
static void InitIconResources() { Q_INIT_RESOURCE(icons); }

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

QIcon OwnIcon(const QString& name) {
  static const bool resources = (InitIconResources(), true);
  (void)resources;
  QSvgRenderer svg(":/icons/" + name + ".svg");
  QIcon icon;
  if (!svg.isValid()) return icon;
  // Drawn at the sizes toolbars, menus, window frames and the per-user registration ask
  // for (twice the toolbar's on high-density screens), so nothing is scaled.
  for (int size : {16, 18, 20, 22, 24, 32, 36, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon ToolbarIcon(const char* icon_name, const char* glyph) {
  const QString name = QString::fromUtf8(icon_name);
  if (name.startsWith(kOwnIconPrefix)) {
    if (const QIcon own = OwnIcon(name.mid(kOwnIconPrefix.size())); !own.isNull()) return own;
  } else if (const QIcon themed = ThemeIcon(name); !themed.isNull()) {
    return themed;
  }
  QIcon icon;
  const QColor fill(0x3A, 0x6E, 0xA5);
  for (int size : {16, 24, 32}) icon.addPixmap(DrawGlyph(QString::fromUtf8(glyph), size, fill));
  return icon;
}

QIcon AppIcon() {
  static const QIcon icon = OwnIcon("quillan");
  return icon;
}

}  // namespace quillan::gui
