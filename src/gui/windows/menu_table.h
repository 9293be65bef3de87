#pragma once

#include <span>

namespace quillan::gui {

/// One row of the main window's menu tree. Rows at depth 0 are the menu-bar menus; a row
/// followed by deeper rows opens a submenu. A caption of "-" is a separator.
struct MenuRow {
  int depth;
  const char* name;     ///< objectName of the action or menu
  const char* caption;  ///< text exactly as shown, with its access-key ampersand
  const char* shortcut = "";
  bool checkable = false;
  bool starts_disabled = false;
};

/// The whole menu tree, in order. The menu "toolbar" is the toolbar's pop-up menu and is not
/// shown in the menu bar.
std::span<const MenuRow> MainMenuRows();

/// One toolbar button: its objectName, tooltip, the action it triggers, its icon, and
/// whether a group separator follows it.
struct ToolbarButton {
  const char* name;
  const char* tooltip;
  const char* action;
  const char* icon;   ///< a theme icon's name, or "own:" and the name of one of ours
  const char* glyph;  ///< drawn when the icon theme has no such icon
  bool separator_after = false;
};

std::span<const ToolbarButton> ToolbarButtons();

/// The theme icons of menu items that have no toolbar button (those show their button's).
struct MenuIcon {
  const char* action;
  const char* theme_icon;
};

std::span<const MenuIcon> MenuIcons();

}  // namespace quillan::gui
