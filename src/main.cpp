#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/qt_convert.h"
#include "platform/host.h"
#include "quillan_version.h"

int main(int argc, char* argv[]) {
  // Without a display the toolkit would abort with advice that does not help.
  if (const auto missing = quillan::platform::PrepareProcess()) {
    std::fprintf(stderr, "%s\n", missing->c_str());
    return 1;
  }
  const std::vector<std::u16string> arguments = quillan::platform::ProgramArguments(argc, argv);

  // Quillan's arguments are file names: the toolkit sees only the program's name, so that a
  // file called -reverse opens like any other.
  int toolkit_argc = 1;
  char* toolkit_argv[] = {argv[0], nullptr};
  QApplication app(toolkit_argc, toolkit_argv);
  QApplication::setApplicationName("Quillan");
  QApplication::setOrganizationName("Quillan");
  QApplication::setApplicationVersion(quillan::kVersionText);

  quillan::gui::Application quillan;
  QObject::connect(&quillan.window(), &quillan::gui::MainWindow::Closed, &app, &QApplication::quit);

  quillan::gui::StartupOptions options;
  options.program_path = QApplication::applicationFilePath();
  if (!arguments.empty()) {
    // The first argument names the project: any file name opens.
    options.project_path = quillan::gui::ToQString(arguments.front());
    options.ignored_arguments = static_cast<int>(arguments.size()) - 1;
  }
  quillan.Startup(options);
  quillan.window().show();
  return app.exec();
}
