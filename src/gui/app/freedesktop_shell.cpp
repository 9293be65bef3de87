#include "gui/app/freedesktop_shell.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <memory>

#include "gui/app/desktop_shell.h"
#include "gui/widgets/icons.h"
#include "platform/file_type_registration.h"
#include "platform/native_path.h"

namespace quillan::gui {
namespace {

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

std::unique_ptr<platform::ShellIntegration> MakeDesktopShell() {
  return std::make_unique<FreedesktopShell>();
}

void FreedesktopShell::OpenUrl(std::string_view url) {
  QDesktopServices::openUrl(
      QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
}

void FreedesktopShell::RegisterProjectType(std::u16string_view program_path) {
  if (program_path.empty()) return;
  platform::RegistrationRequest request;
  // $XDG_DATA_HOME, by default ~/.local/share; a test-mode run uses Qt's test folder.
  const QString data_home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data_home.isEmpty()) return;
  request.data_home = QFile::encodeName(data_home).toStdString();
  request.program_path = platform::NativePath(program_path);
  // The system's data folders come after the user's own in Qt's list.
  for (const QString& dir :
       QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
    if (dir != data_home)
      request.system_data_dirs.emplace_back(QFile::encodeName(dir).toStdString());
  }
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
