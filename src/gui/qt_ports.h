#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "document/file_ports.h"
#include "settings/settings_store.h"
#include "ui/clock.h"
#include "ui/messenger.h"
#include "ui/prompter.h"

class QSettings;

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

/// The per-user store: `QSettings`, INI format, application "Quillan", one group a section.
class QtSettingsStore final : public settings::SettingsStore {
 public:
  QtSettingsStore();
  ~QtSettingsStore() override;
  std::string Get(std::string_view section, std::string_view key) const override;
  void Set(std::string_view section, std::string_view key, std::string_view value) override;
  /// Where the values are kept, for the README and error messages.
  QString FileName() const;

 private:
  std::unique_ptr<QSettings> settings_;
};

/// The Open and Save As dialogs. Both start with the file name last chosen in either.
class QtFileChooser final : public document::FileChooser {
 public:
  explicit QtFileChooser(QWidget* parent) : parent_(parent) {}
  std::optional<std::u16string> ChooseOpen(std::u16string_view title,
                                           std::u16string_view filter) override;
  std::optional<std::u16string> ChooseSave(std::u16string_view title, std::u16string_view filter,
                                           std::u16string_view proposed) override;
  /// "Desc|*.x|" -> "Desc (*.x)", the form Qt's dialogs take; a description that already
  /// ends in its patterns in parentheses, "Desc(*.X)", stands as it is written.
  static QString ToQtFilter(std::u16string_view filter);

 private:
  QWidget* parent_;
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
