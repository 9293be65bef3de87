#pragma once

#include <QIcon>

namespace quillan::gui {

/// The icon of the desktop's theme with this name, or a null icon. Where the desktop names no
/// theme of its own (a bare X session), the Adwaita theme stands in when it is installed.
QIcon ThemeIcon(const QString& name);

/// The icon of the desktop's theme with this name, or a drawn one showing the glyph.
QIcon ToolbarIcon(const char* theme_name, const char* glyph);

/// The program's own icon.
QIcon AppIcon();

}  // namespace quillan::gui
