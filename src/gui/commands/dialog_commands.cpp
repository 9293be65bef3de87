#include "gui/commands/dialog_commands.h"

#include <QAction>

#include "gui/commands/web_sites.h"

namespace quillan::gui {

DialogCommands::DialogCommands(const ActionTable& actions, ToolWindows& tools, QWidget& main_window,
                               settings::SettingsStore& settings, document::FileStore& files,
                               platform::ShellIntegration& shell, PreferencesDialog::Apply apply,
                               const ChooserSource& choosers, const MessengerSource& messengers)
    : icon_(tools.Add<IconWindow>([&files, &settings, choosers, messengers] {
        return new IconWindow(choosers, files, settings, messengers);
      })),
      preferences_(tools.Add<PreferencesDialog>([&settings, &main_window, apply] {
        return new PreferencesDialog(settings, apply, main_window);
      })),
      help_(tools.Add<HelpWindow>(
          [&main_window, messengers] { return new HelpWindow(main_window, messengers); })),
      about_(tools.Add<AboutDialog>(
          [&shell, &main_window] { return new AboutDialog(shell, main_window); })) {
  setObjectName("dialogCommands");
  connect(actions.Action("Get_Icon"), &QAction::triggered, this, [this] { icon_.Show(); });
  connect(actions.Action("Prefs"), &QAction::triggered, this, [this] { preferences_.Show(); });
  connect(actions.Action("Help_Contents"), &QAction::triggered, this, [this] { help_.Show(); });
  connect(actions.Action("About"), &QAction::triggered, this, [this] { about_.Show(); });
  ConnectWebSites(actions, shell, this);
}

}  // namespace quillan::gui
