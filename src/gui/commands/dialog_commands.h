#pragma once

#include <QObject>

#include "document/file_ports.h"
#include "gui/widgets/action_table.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/about_dialog.h"
#include "gui/windows/help_window.h"
#include "gui/windows/icon_window.h"
#include "gui/windows/preferences_dialog.h"
#include "gui/windows/tool_windows.h"
#include "platform/shell_integration.h"
#include "settings/settings_store.h"

namespace quillan::gui {

/// The menu items that open a window of their own, besides the window tools: Get Icon From
/// .exe, Preferences, Help Contents and About; and the Help menu's web sites.
class DialogCommands final : public QObject {
  Q_OBJECT

 public:
  /// The dialogs stand over `main_window`; the Preferences' OK hands what it stored to
  /// `apply`.
  DialogCommands(const ActionTable& actions, ToolWindows& tools, QWidget& main_window,
                 settings::SettingsStore& settings, document::FileStore& files,
                 platform::ShellIntegration& shell, PreferencesDialog::Apply apply,
                 const ChooserSource& choosers, const MessengerSource& messengers);

 private:
  ToolWindowSlot<IconWindow> icon_;
  ToolWindowSlot<PreferencesDialog> preferences_;
  ToolWindowSlot<HelpWindow> help_;
  ToolWindowSlot<AboutDialog> about_;
};

}  // namespace quillan::gui
