#include "gui/file_icons.h"

#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>

#include "gui/icons.h"
#include "gui/qt_convert.h"
#include "platform/host.h"
#include "wintools/pe_icons.h"

namespace quillan::gui {

namespace {

// Enough of the start of a file for the desktop's type detection.
constexpr std::size_t kSniffBytes = 4096;

QImage Decode(const wintools::IconImage& image) {
  if (image.png) {
    QImage png = QImage::fromData(reinterpret_cast<const uchar*>(image.bytes.data()),
                                  static_cast<int>(image.bytes.size()), "PNG");
    return png.isNull() ? png : png.convertToFormat(QImage::Format_ARGB32);
  }
  const auto pixels = wintools::DecodeDib(image);
  if (!pixels) return {};
  QImage out(pixels->width, pixels->height, QImage::Format_ARGB32);
  for (int y = 0; y < pixels->height; ++y) {
    std::copy_n(pixels->argb.data() + static_cast<std::size_t>(y) * pixels->width, pixels->width,
                reinterpret_cast<QRgb*>(out.scanLine(y)));
  }
  return out;
}

// A page with a folded corner, for a type the theme has no icon for.
QImage DrawnIcon(int side) {
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal m = side / 8.0, fold = side / 4.0;
  const QPointF page[] = {{m + 0.5, 0.5},
                          {side - m - fold, 0.5},
                          {side - m - 0.5, fold},
                          {side - m - 0.5, side - 0.5},
                          {m + 0.5, side - 0.5}};
  p.setPen(QColor(0x55, 0x57, 0x53));
  p.setBrush(Qt::white);
  p.drawPolygon(page, 5);
  p.drawLine(QPointF(side - m - fold, 0.5), QPointF(side - m - fold, fold));
  p.drawLine(QPointF(side - m - fold, fold), QPointF(side - m - 0.5, fold));
  return image;
}

QImage GenericIcon(std::u16string_view path, wintools::ByteSource* file, int side) {
  std::string start;
  if (file != nullptr) {
    file->Read(0, static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), kSniffBytes)),
               start);
  }
  const QMimeType type = QMimeDatabase().mimeTypeForFileNameAndData(
      ToQString(path).section('/', -1), QByteArray::fromStdString(start));
  for (const QString& name : {type.iconName(), type.genericIconName()}) {
    const QIcon icon = ThemeIcon(name);
    if (icon.isNull()) continue;
    const QImage themed =
        icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    if (!themed.isNull()) return FitIcon(themed, side);
  }
  return DrawnIcon(side);
}

}  // namespace

QImage FitIcon(const QImage& image, int side) {
  if (image.width() <= side && image.height() <= side) return image;
  return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_ARGB32);
}

FileIcons FileIconsOf(std::u16string_view path) {
  FileIcons icons;
  const auto file = platform::OpenFileBytes(path);
  if (file) {
    const wintools::ShellIcons found = wintools::ExtractShellIcons(*file);
    if (found.large) icons.large = FitIcon(Decode(*found.large), kLargeIconSide);
    if (found.small) icons.small = FitIcon(Decode(*found.small), kSmallIconSide);
    // A size that would not decode is the other one, scaled.
    if (icons.large.isNull() && !icons.small.isNull()) icons.large = icons.small;
    if (icons.small.isNull() && !icons.large.isNull()) {
      icons.small = FitIcon(icons.large, kSmallIconSide);
    }
  }
  if (icons.large.isNull()) {
    icons.generic = true;
    icons.large = GenericIcon(path, file.get(), kLargeIconSide);
    icons.small = GenericIcon(path, file.get(), kSmallIconSide);
  }
  return icons;
}

}  // namespace quillan::gui
