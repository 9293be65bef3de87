#include "gui/windows/file_icons.h"

#include <zlib.h>

#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <array>

#include "gui/widgets/icons.h"
#include "gui/widgets/qt_convert.h"
#include "platform/host.h"
#include "wintools/pe_icons.h"

namespace quillan::gui {

namespace {

// Enough of the start of a file for the desktop's type detection.
constexpr std::size_t kSniffBytes = 4096;

QImage Decode(const wintools::IconImage& image) {
  if (image.png) {
    // Qt's reader would inflate whatever the stream holds, gigabytes for a few kilobytes.
    if (!PngDataFits(image.bytes)) return {};
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

QImage GenericIcon(const QStringList& names, int side) {
  for (const QString& name : names) {
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

bool PngDataFits(std::string_view png) {
  const auto layout = wintools::ReadPngLayout(png);
  if (!layout) return false;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  std::array<Bytef, 1 << 16> out;
  std::uint64_t inflated = 0;
  std::size_t next_chunk = 0;
  bool fits = false;
  for (;;) {
    if (stream.avail_in == 0 && next_chunk < layout->data.size()) {
      const auto [offset, length] = layout->data[next_chunk++];
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(png.data() + offset));
      stream.avail_in = static_cast<uInt>(length);
      continue;
    }
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_NO_FLUSH);
    inflated += out.size() - stream.avail_out;
    if (inflated > layout->raw_bytes) break;
    fits = status == Z_STREAM_END;
    // Anything but progress ends the walk: the stream's end, damage, or (with every chunk
    // read) a stream cut short.
    if (status != Z_OK) break;
  }
  inflateEnd(&stream);
  return fits;
}

FileIconsRead ReadFileIcons(std::u16string_view path) {
  FileIconsRead read;
  const auto file = platform::OpenFileBytes(path);
  if (file) {
    const wintools::ShellIcons found = wintools::ExtractShellIcons(*file);
    const QImage large = found.large ? Decode(*found.large) : QImage();
    const QImage small = found.same_image ? large : found.small ? Decode(*found.small) : QImage();
    read.large = FitIcon(large, kLargeIconSide);
    read.small = FitIcon(small, kSmallIconSide);
    // A size that would not decode is the other one, scaled.
    if (read.large.isNull() && !read.small.isNull()) read.large = read.small;
    if (read.small.isNull() && !read.large.isNull()) {
      read.small = FitIcon(read.large, kSmallIconSide);
    }
  }
  if (read.large.isNull()) {
    std::string start;
    if (file) {
      file->Read(0, static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), kSniffBytes)),
                 start);
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFileNameAndData(
        ToQString(path).section('/', -1), QByteArray::fromStdString(start));
    read.type_icon_names = {type.iconName(), type.genericIconName()};
  }
  return read;
}

FileIcons FinishFileIcons(const FileIconsRead& read) {
  FileIcons icons;
  if (!read.large.isNull()) {
    icons.large = read.large;
    icons.small = read.small;
    return icons;
  }
  icons.generic = true;
  icons.large = GenericIcon(read.type_icon_names, kLargeIconSide);
  icons.small = GenericIcon(read.type_icon_names, kSmallIconSide);
  return icons;
}

FileIcons FileIconsOf(std::u16string_view path) { return FinishFileIcons(ReadFileIcons(path)); }

}  // namespace quillan::gui
