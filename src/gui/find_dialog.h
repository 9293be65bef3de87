#pragma once

#include <QDialog>
#include <memory>

#include "document/find_replace.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillan::gui {

class EditorBuffer;
class MainWindow;

/// `frmFind`: the modeless Find/Replace window. It stays on top of all windows and is only
/// hidden by Close, so its texts and the search position last as long as the program.
class FindDialog final : public QDialog {
  Q_OBJECT

 public:
  /// Works on the main window's editor. Messages go through `messenger`, or when it is null
  /// through message boxes parented to this window.
  FindDialog(MainWindow& window, ui::Messenger* messenger);
  ~FindDialog() override;

  /// Edit > Find/Replace: takes a non-empty selection of the editor as the search text and
  /// shows the window.
  void Open();

  const document::FindReplace& engine() const { return engine_; }

 public slots:
  void FindClick();
  void ReplaceClick();
  void ReplaceAllClick();
  void CloseClick();

 private:
  void ShowSelection(bool selected);
  void ShowPosition();

  MainWindow& window_;
  std::unique_ptr<ui::Messenger> own_messenger_;
  ui::Messenger& messenger_;
  document::FindReplace engine_;
  QLineEdit* find_edit_ = nullptr;
  QLineEdit* replace_edit_ = nullptr;
  QLabel* position_label_ = nullptr;
};

}  // namespace quillan::gui
