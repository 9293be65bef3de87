#include "gui/app/qt_ports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>
#include <chrono>
#include <optional>

#include "gui/widgets/qt_convert.h"

namespace quillan::gui {

ui::MessageAnswer QtMessenger::Show(std::u16string_view text, ui::MessageIcon icon,
                                    ui::MessageButtons buttons, std::u16string_view title) {
  QMessageBox box(parent_);
  box.setObjectName("messageBox");
  box.setWindowTitle(ToQString(title));
  box.setText(ToQString(text));
  // In the order of ui::MessageIcon.
  static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                 QMessageBox::Warning, QMessageBox::Critical,
                                                 QMessageBox::Question};
  box.setIcon(kIcons[static_cast<std::size_t>(icon)]);
  if (buttons == ui::MessageButtons::kYesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  const int result = box.exec();
  if (result == QMessageBox::Yes) return ui::MessageAnswer::kYes;
  if (result == QMessageBox::No) return ui::MessageAnswer::kNo;
  return ui::MessageAnswer::kOk;
}

std::optional<std::u16string> QtPrompter::Ask(std::u16string_view prompt,
                                              std::u16string_view default_answer) {
  QInputDialog dialog(parent_);
  dialog.setObjectName("inputBox");
  dialog.setWindowTitle(ToQString(ui::kAppTitle));
  dialog.setLabelText(ToQString(prompt));
  dialog.setTextValue(ToQString(default_answer));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QString answer = dialog.textValue();
  if (answer.isEmpty()) return std::nullopt;
  return ToU16(answer);
}

namespace {

// Why the settings cannot live in the file at `name`; nothing when it is a regular file, a link
// to one, or not there yet. The file is only looked at, never opened: opening a pipe waits for
// a writer that never comes, and opening a device may act on it.
std::optional<QString> NotARegularFile(const QString& name) {
  const QFileInfo info(name);
  if (info.isSymLink()) {
    const QString target = QDir::toNativeSeparators(info.symLinkTarget());
    if (!info.exists()) return QString("it is a link to \"%1\", which does not exist").arg(target);
    if (info.isDir()) {
      return QString("it is a link to the folder \"%1\", not to a file").arg(target);
    }
    if (!info.isFile()) {
      return QString(
                 "it is a link to \"%1\", which is not a regular file but a device, a pipe "
                 "or a socket")
          .arg(target);
    }
    return std::nullopt;
  }
  if (info.isDir()) return QString("it is a folder, not a file");
  if (info.exists() && !info.isFile()) {
    return QString("it is not a regular file but a device, a pipe or a socket");
  }
  return std::nullopt;
}

QString ReadFailure(const QString& name, QSettings::Status status) {
  if (status == QSettings::FormatError) return "its content is not in the INI format";
  if (!QFileInfo(name).isReadable()) return "you have no permission to read it";
  return "it could not be read";
}

// Why a write of the file at `name` failed, as far as can be told without writing.
QString WriteFailure(const QString& name) {
  const QFileInfo file(name);
  const QFileInfo folder(file.absolutePath());
  const QString folder_name = QDir::toNativeSeparators(folder.absoluteFilePath());
  if (!folder.isDir()) return QString("its folder \"%1\" could not be made").arg(folder_name);
  if (!folder.isWritable()) {
    return QString("you have no permission to write in its folder \"%1\"").arg(folder_name);
  }
  if (file.exists() && !file.isWritable()) return "the file is read-only";
  if (QStorageInfo(folder.absoluteFilePath()).bytesAvailable() == 0) return "the disk is full";
  return "it could not be written";
}

QString StartMessage(const QString& name, const QString& why) {
  return QString(
             "Quillan cannot use its settings file \"%1\": %2.\n\nQuillan runs on its "
             "default settings, and changes made now will not be kept.")
      .arg(QDir::toNativeSeparators(name), why);
}

QString SaveMessage(const QString& name, const QString& why) {
  return QString(
             "Quillan cannot save its settings in \"%1\": %2.\n\nQuillan goes on with the "
             "settings it has, but changes made now will not be kept.")
      .arg(QDir::toNativeSeparators(name), why);
}

QString KeyPath(std::string_view section, std::string_view key) {
  return ToQString(section) + '/' + ToQString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore() : QtSettingsStore(UserFileName()) {}

QtSettingsStore::QtSettingsStore(const QString& file_name)
    : file_name_(file_name), target_(file_name) {
  if (const std::optional<QString> why = NotARegularFile(file_name_)) {
    GiveUp(StartMessage(file_name_, *why));
    return;
  }
  // A link stays a link: the file it leads to is the one read and replaced.
  if (QFileInfo(file_name_).isSymLink()) {
    target_ = QFileInfo(file_name_).canonicalFilePath();
    if (target_.isEmpty()) {  // the file it led to went in the meantime
      GiveUp(StartMessage(file_name_, "the file it is a link to went away"));
      return;
    }
  }
  settings_ = std::make_unique<QSettings>(target_, QSettings::IniFormat);
  if (settings_->status() != QSettings::NoError) {
    const QString why = ReadFailure(target_, settings_->status());
    // What could not be read is not used, and the file is left as it is.
    settings_.reset();
    GiveUp(StartMessage(file_name_, why));
  }
}

QtSettingsStore::~QtSettingsStore() {
  Flush();
  // Nobody is left to show a message; the terminal may still hear it.
  if (!problem_.isEmpty() && !reported_) qWarning("%s", qPrintable(problem_));
}

QString QtSettingsStore::UserFileName() {
  // Where QSettings keeps the INI files of the user scope on Linux, worked out without a
  // QSettings, which would read the file at once.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         "/Quillan/Quillan.ini";
}

std::string QtSettingsStore::Get(std::string_view section, std::string_view key) const {
  if (!settings_) return memory_.Get(section, key);
  const QString path = KeyPath(section, key);
  if (const auto it = pending_.find(path); it != pending_.end()) return it->second.toStdString();
  return settings_->value(path).toString().toStdString();
}

void QtSettingsStore::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!settings_) {
    memory_.Set(section, key, value);
    return;
  }
  pending_[KeyPath(section, key)] = ToQString(value);
  if (!write_timer_) {
    write_timer_ = std::make_unique<QTimer>();
    write_timer_->setSingleShot(true);
    write_timer_->setInterval(kWriteDelayMs);
    write_timer_->callOnTimeout([this] { Flush(); });
  }
  if (!write_timer_->isActive()) write_timer_->start();
}

void QtSettingsStore::Flush() {
  if (write_timer_) write_timer_->stop();
  if (!settings_ || pending_.empty()) return;
  for (const auto& [path, value] : pending_) settings_->setValue(path, value);
  pending_.clear();
  // The file may have been replaced since it was read.
  if (const std::optional<QString> why = NotARegularFile(target_)) {
    GiveUp(SaveMessage(target_, *why));
    return;
  }
  settings_->sync();
  if (settings_->status() != QSettings::NoError) {
    GiveUp(SaveMessage(target_, WriteFailure(target_)));
  }
}

void QtSettingsStore::OnProblem(std::function<void(const QString& message)> report) {
  report_ = std::move(report);
  ReportOnce();
}

void QtSettingsStore::ReportOnce() {
  if (problem_.isEmpty() || !report_ || reported_) return;
  reported_ = true;
  report_(problem_);
}

void QtSettingsStore::GiveUp(const QString& message) {
  if (settings_) {
    // The session goes on with the values it has, the change just made among them.
    for (const QString& path : settings_->allKeys()) {
      const qsizetype slash = path.indexOf('/');
      if (slash < 0) continue;
      memory_.Set(path.left(slash).toStdString(), path.mid(slash + 1).toStdString(),
                  settings_->value(path).toString().toStdString());
    }
    settings_.reset();
  }
  problem_ = message;
  ReportOnce();
}

QString QtFileChooser::ToQtFilter(std::u16string_view filter) {
  const QStringList parts = ToQString(filter).split('|', Qt::SkipEmptyParts);
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    // Qt takes the patterns from the parentheses at the end and matches them without regard
    // to case, as the Windows dialog does.
    if (parts[i].endsWith(')') && parts[i].contains('(')) {
      entries << parts[i];
    } else {
      entries << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    }
  }
  return entries.join(";;");
}

std::optional<std::u16string> QtFileChooser::ChooseOpen(std::u16string_view title,
                                                        std::u16string_view filter) {
  const QString name =
      QFileDialog::getOpenFileName(parent_, ToQString(title), last_name_, ToQtFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  last_name_ = name;
  return ToU16(name);
}

std::optional<std::u16string> QtFileChooser::ChooseSave(std::u16string_view title,
                                                        std::u16string_view filter,
                                                        std::u16string_view proposed) {
  if (!proposed.empty()) last_name_ = ToQString(proposed);
  // The file is written under exactly the name chosen: no extension is added, and replacing
  // an existing file is not asked about.
  const QString name =
      QFileDialog::getSaveFileName(parent_, ToQString(title), last_name_, ToQtFilter(filter),
                                   nullptr, QFileDialog::DontConfirmOverwrite);
  if (name.isEmpty()) return std::nullopt;
  last_name_ = name;
  return ToU16(name);
}

double QtClock::MonotonicSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void QtEventPump::ShowBusy(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void QtEventPump::ProcessPendingEvents() {
  // Wait for the next event, or at most 20 ms, so that a pause does not spin the processor.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(20);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace quillan::gui
