#include <QApplication>
#include <QStringList>

#include "gui/application.h"
#include "gui/main_window.h"
#include "quillan_version.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillan");
  QApplication::setOrganizationName("Quillan");
  QApplication::setApplicationVersion(quillan::kVersionText);

  quillan::gui::Application quillan;
  QObject::connect(&quillan.window(), &quillan::gui::MainWindow::Closed, &app, &QApplication::quit);

  quillan::gui::StartupOptions options;
  options.program_path = QApplication::applicationFilePath();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) {
    // The one argument is the whole rest of the command line, as a path.
    options.project_path = args.mid(1).join(' ');
  }
  quillan.Startup(options);
  quillan.window().show();
  return app.exec();
}
