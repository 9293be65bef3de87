#pragma once

#include <QImage>
#include <QStringList>
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

/// What can be learnt of a file's icons away from the GUI thread: its own icons, or, when it
/// has none that decode, the names of its type's icons in the desktop theme.
struct FileIconsRead {
  QImage large;
  QImage small;
  QStringList type_icon_names;
};

/// Reads the file's own icons (a Windows program's, from its resources) and decodes each image
/// once, refusing a PNG whose pixel data inflates to more than its size can hold. Only the
/// file's headers and the icon's bytes are read. Safe on any thread.
FileIconsRead ReadFileIcons(std::u16string_view path);

/// The icons to show for what was read: the file's own, or the desktop theme's icons for its
/// type, or a drawn one where the theme has none. On the GUI thread only.
FileIcons FinishFileIcons(const FileIconsRead& read);

/// The icons of the file at path: FinishFileIcons(ReadFileIcons(path)).
FileIcons FileIconsOf(std::u16string_view path);

/// Whether the PNG's pixel data (its IDAT stream) inflates, complete, to no more than its
/// header's size and depth can hold. The stream is inflated once, and never beyond that.
bool PngDataFits(std::string_view png);

/// The image scaled down, keeping its proportions, to fit side x side; a smaller one as it is.
QImage FitIcon(const QImage& image, int side);

}  // namespace quillan::gui
