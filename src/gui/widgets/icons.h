#pragma once

#include <QIcon>

namespace quillan::gui {

/// The icon of the desktop's theme with this name, or a null icon. Where the desktop names no
/// theme of its own (a bare X session), the Adwaita theme stands in when it is installed.
QIcon ThemeIcon(const QString& name);

/// Names of our own icons start with this; the rest names an SVG of data/icons.
inline const QString kOwnIconPrefix = QStringLiteral("own:");

/// One of our own icons (quillan, api-spy, window-spy, code-generator, color-spy, get-icon,
/// dim-all), drawn from its SVG; a null icon for any other name.
QIcon OwnIcon(const QString& name);

/// For an "own:" name, our icon of that name; otherwise the icon of the desktop's theme with
/// this name. Where neither is there, a drawn one showing the glyph.
QIcon ToolbarIcon(const char* icon_name, const char* glyph);

/// The program's own icon.
QIcon AppIcon();

}  // namespace quillan::gui
