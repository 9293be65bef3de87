#include "gui/shell_integration.h"

#include <QAction>
#include <QBuffer>
#include <QDesktopServices>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <array>

#include "gui/icons.h"
#include "gui/main_window.h"
#include "platform/file_type_registration.h"

namespace quillan::gui {
namespace {

constexpr std::array<WebSite, 4> kWebSites{{
    {"Site_Home", kHomePageUrl},
    {"Site_Host", "https://example.org/quillan/source"},
    {"Site_Assoc1", "https://example.org/visual-basic"},
    {"Site_Assoc2", "https://example.org/window-automation"},
}};

std::string IconPng(const QIcon& icon, int size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
  if (image.size() != QSize(size, size)) {
    image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

}  // namespace

std::span<const WebSite> WebSites() { return kWebSites; }

void ConnectWebSites(MainWindow& window) {
  for (const WebSite& site : kWebSites) {
    const QUrl url(QString::fromUtf8(site.url));
    // The desktop's URL handler, never a shell: the address is not a command line.
    QObject::connect(window.Action(site.action), &QAction::triggered, &window,
                     [url] { QDesktopServices::openUrl(url); });
  }
}

void RegisterFileTypeForUser(const QString& program_path) {
  if (program_path.isEmpty()) return;
  platform::RegistrationRequest request;
  // $XDG_DATA_HOME, by default ~/.local/share; a test-mode run uses Qt's test folder.
  const QString data_home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data_home.isEmpty()) return;
  request.data_home = QFile::encodeName(data_home).toStdString();
  request.program_path = QFile::encodeName(program_path).toStdString();
  const QIcon icon = AppIcon();
  for (int size : {16, 32, 48, 64}) request.icons.push_back({size, IconPng(icon, size)});

  const platform::RegistrationReport report = platform::RegisterFileType(request);
  for (const platform::RefreshCommand& command : report.refresh) {
    const QString program = QStandardPaths::findExecutable(QString::fromStdString(command.program));
    if (program.isEmpty()) continue;
    QStringList arguments;
    for (const std::string& argument : command.arguments) {
      arguments << QFile::decodeName(QByteArray::fromStdString(argument));
    }
    QProcess::startDetached(program, arguments);
  }
}

}  // namespace quillan::gui
