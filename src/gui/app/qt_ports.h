#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "document/file_ports.h"
#include "settings/settings_store.h"
#include "ui/clock.h"
#include "ui/messenger.h"
#include "ui/prompter.h"

class QSettings;
class QTimer;

namespace quillan::gui {

/// Message boxes as `QMessageBox`, parented to the window that shows them, so that they
/// stand above it even when it stays on top of all windows.
class QtMessenger final : public ui::Messenger {
 public:
  explicit QtMessenger(QWidget* parent) : parent_(parent) {}
  ui::MessageAnswer Show(std::u16string_view text, ui::MessageIcon icon, ui::MessageButtons buttons,
                         std::u16string_view title) override;
  QWidget* parent() const { return parent_; }

 private:
  QPointer<QWidget> parent_;
};

/// The input box as `QInputDialog`, titled "Quillan".
class QtPrompter final : public ui::Prompter {
 public:
  explicit QtPrompter(QWidget* parent) : parent_(parent) {}
  std::optional<std::u16string> Ask(std::u16string_view prompt,
                                    std::u16string_view default_answer) override;

 private:
  QWidget* parent_;
};

/// The per-user store: `QSettings`, INI format, in the file "Quillan/Quillan.ini" of the user's
/// configuration folder, one group a section. Only a regular file, or a link to one (the link
/// is kept, its target updated), is ever opened. Any other kind of file, one that cannot be
/// read, or a change that cannot be written leaves the session on values kept in memory, and
/// the problem is reported once. Changes are written together, a moment after the first of
/// them (so the write at start-up comes after the window is on the screen, and a burst of
/// changes is one write), and at the latest when the store goes.
class QtSettingsStore final : public settings::SettingsStore {
 public:
  /// The user's settings file.
  QtSettingsStore();
  explicit QtSettingsStore(const QString& file_name);
  ~QtSettingsStore() override;
  std::string Get(std::string_view section, std::string_view key) const override;
  /// Stores the value; the file is written kWriteDelayMs later with every change made
  /// meanwhile (a failure is reported then), or sooner by Flush.
  void Set(std::string_view section, std::string_view key, std::string_view value) override;
  /// Writes the changes not yet in the file now.
  void Flush();
  static constexpr int kWriteDelayMs = 500;
  /// Where the values are kept, as the user names the file.
  QString FileName() const { return file_name_; }
  /// The user's settings file: "Quillan/Quillan.ini" in the user's configuration folder
  /// (where QSettings keeps INI files of the user scope on Linux; on Windows the local
  /// application data).
  static QString UserFileName();
  /// Receives, once, the message that the settings cannot be read or kept; at once when that
  /// is already known.
  void OnProblem(std::function<void(const QString& message)> report);

 private:
  // Goes on in memory from now on and reports why.
  void GiveUp(const QString& message);
  void ReportOnce();

  QString file_name_;
  QString target_;                       // the regular file behind file_name_
  std::unique_ptr<QSettings> settings_;  // null once the file is not used
  // Changes not yet handed to settings_ (which would write them at its next event), by key
  // path, and the timer that writes them.
  std::map<QString, QString> pending_;
  std::unique_ptr<QTimer> write_timer_;
  settings::MemorySettingsStore memory_;  // the values while the file is not used
  QString problem_;
  bool reported_ = false;
  std::function<void(const QString&)> report_;
};

/// The Open and Save As dialogs. Both start with the file name last chosen in either.
class QtFileChooser final : public document::FileChooser {
 public:
  explicit QtFileChooser(QWidget* parent) : parent_(parent) {}
  QWidget* parent() const { return parent_; }
  std::optional<std::u16string> ChooseOpen(std::u16string_view title,
                                           std::u16string_view filter) override;
  std::optional<std::u16string> ChooseSave(std::u16string_view title, std::u16string_view filter,
                                           std::u16string_view proposed) override;
  /// "Desc|*.x|" -> "Desc (*.x)", the form Qt's dialogs take; a description that already
  /// ends in its patterns in parentheses, "Desc(*.X)", stands as it is written.
  static QString ToQtFilter(std::u16string_view filter);

 private:
  QPointer<QWidget> parent_;
  QString last_name_;
};

/// The system's monotonic clock.
class QtClock final : public ui::Clock {
 public:
  double MonotonicSeconds() const override;
};

/// Processes pending Qt events, waiting up to 20 ms for one to arrive; the busy sign is the
/// wait cursor over every window of the program.
class QtEventPump final : public ui::EventPump {
 public:
  void ProcessPendingEvents() override;
  void ShowBusy(bool busy) override;
};

}  // namespace quillan::gui
