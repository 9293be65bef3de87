#include "gui/qt_ports.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <chrono>

#include "gui/qt_convert.h"

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

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Quillan",
                                            "Quillan")) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::Get(std::string_view section, std::string_view key) const {
  const QString path = ToQString(section) + '/' + ToQString(key);
  return settings_->value(path).toString().toStdString();
}

void QtSettingsStore::Set(std::string_view section, std::string_view key, std::string_view value) {
  settings_->setValue(ToQString(section) + '/' + ToQString(key), ToQString(value));
}

QString QtSettingsStore::FileName() const { return settings_->fileName(); }

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
