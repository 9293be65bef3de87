#pragma once

#include <QImage>
#include <string_view>

namespace quillan::gui {

/// The icons the desktop shows for a file, each no larger than its size: 32 x 32 and 16 x 16.
struct FileIcons {
  QImage large;
  QImage small;
  /// Neither came out of the file itself: they are the icons of its type.
  bool generic = false;
};

inline constexpr int kLargeIconSide = 32;
inline constexpr int kSmallIconSide = 16;

/// The icons of the file at path: a Windows program's own icon, read from its resources; for
/// any other file, or one whose icon cannot be read, the desktop theme's icon for the file's
/// type, or a drawn one where the theme has none. Only the file's headers and the icon's
/// bytes are read.
FileIcons FileIconsOf(std::u16string_view path);

/// The image scaled down, keeping its proportions, to fit side x side; a smaller one as it is.
QImage FitIcon(const QImage& image, int side);

}  // namespace quillan::gui
