#include "gui/widgets/icons.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOption>
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

namespace {

// One of our SVG icons, drawn at a size only when that size is first asked for: drawing all
// of them at every size before the window could show took a good part of the start.
class SvgIconEngine final : public QIconEngine {
 public:
  explicit SvgIconEngine(QString path) : path_(std::move(path)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const QString key =
        QString("%1/%2x%3").arg(static_cast<int>(mode)).arg(size.width()).arg(size.height());
    if (const auto found = cache_.constFind(key); found != cache_.constEnd()) return *found;
    QPixmap drawn(size);
    drawn.fill(Qt::transparent);
    {
      QPainter painter(&drawn);
      painter.setRenderHint(QPainter::Antialiasing);
      QSvgRenderer(path_).render(&painter);
    }
    if (mode != QIcon::Normal && QApplication::instance() != nullptr) {
      // Greyed or highlighted the way the style does it for any other icon.
      QStyleOption option;
      option.palette = QGuiApplication::palette();
      drawn = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
    }
    cache_.insert(key, drawn);
    return drawn;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    // The sizes toolbars, menus, window frames and the per-user registration ask for.
    QList<QSize> sizes;
    for (int side : {16, 18, 20, 22, 24, 32, 36, 48, 64}) sizes << QSize(side, side);
    return sizes;
  }

  QIconEngine* clone() const override { return new SvgIconEngine(*this); }

 private:
  QString path_;
  QHash<QString, QPixmap> cache_;
};

}  // namespace

QIcon OwnIcon(const QString& name) {
  static const bool resources = (InitIconResources(), true);
  (void)resources;
  const QString path = ":/icons/" + name + ".svg";
  if (!QFile::exists(path)) return QIcon();
  return QIcon(new SvgIconEngine(path));
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
