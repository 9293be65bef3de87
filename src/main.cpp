#include <QApplication>
#include <cstdio>

#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/qt_convert.h"
#include "platform/display_check.h"
#include "platform/native_path.h"
#include "platform/posix_file_store.h"
#include "quillan_version.h"

int main(int argc, char* argv[]) {
  // Without a display the toolkit would abort with advice that does not help.
  if (const auto missing = quillan::platform::MissingDisplay()) {
    std::fprintf(stderr, "%s\n", missing->c_str());
    return 1;
  }
  // A save beyond the file-size limit fails with "File too large" instead of ending us.
  quillan::platform::IgnoreFileSizeSignal();

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
  if (argc > 1) {
    // The first argument names the project, as its bytes: any file name opens.
    options.project_path = quillan::gui::ToQString(quillan::platform::PathFromNative(argv[1]));
    options.ignored_arguments = argc - 2;
  }
  quillan.Startup(options);
  quillan.window().show();
  return app.exec();
}
