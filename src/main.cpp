#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "document/command_line.h"
#include "gui/app/application.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "platform/host.h"
#include "quillan_version.h"

int main(int argc, char* argv[]) {
  // Without a display the toolkit would abort with advice that does not help.
  using quillan::document::CommandLine;
  const CommandLine command =
      quillan::document::ParseCommandLine(quillan::platform::ProgramArguments(argc, argv));
  if (command.request == CommandLine::Request::kHelp) {
    std::fputs(quillan::document::UsageText("quillan").c_str(), stdout);
    return 0;
  }
  if (command.request == CommandLine::Request::kVersion) {
    std::fputs(quillan::document::VersionText(quillan::kVersionText).c_str(), stdout);
    return 0;
  }
  if (const auto missing = quillan::platform::PrepareProcess()) {
    std::fprintf(stderr, "%s\n", missing->c_str());
    return 1;
  }

  // Quillan's arguments are file names: the toolkit sees only the program's name, so that a
  // file called -reverse opens like any other.
  int toolkit_argc = 1;
  char* toolkit_argv[] = {argv[0], nullptr};
  QApplication app(toolkit_argc, toolkit_argv);
  QApplication::setApplicationName("Quillan");
  QApplication::setOrganizationName("Quillan");
  QApplication::setApplicationVersion(quillan::kVersionText);

  quillan::gui::Application quillan;
  QObject::connect(quillan.main_window(), &quillan::gui::MainWindow::Closed, &app,
                   &QApplication::quit);

  quillan::gui::StartupOptions options;
  options.program_path = QApplication::applicationFilePath();
  if (command.project) {
    // Any file name opens.
    options.project_path = quillan::gui::ToQString(*command.project);
    options.ignored_arguments = command.ignored;
  }
  // A window started to restore a left copy of unsaved work is told which one; the variable
  // is not handed on to programs started from here.
  if (qEnvironmentVariableIsSet(quillan::gui::kRestoreVariable)) {
    options.restore_id = qEnvironmentVariable(quillan::gui::kRestoreVariable).toStdString();
    qunsetenv(quillan::gui::kRestoreVariable);
  }
  quillan.EndOnSessionRequests();
  quillan.Startup(options);
  quillan.main_window()->show();
  return app.exec();
}
