#pragma once

#include <QDialog>

#include "document/find_replace.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/tool_windows.h"

class QLabel;
class QLineEdit;

class QPushButton;

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;

/// `frmFind`: the modeless Find/Replace window. It stays on top of all windows and is only
/// hidden by Close, so its texts and the search position last as long as the program.
class FindDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain,
                                          settings::section::kFindPlace};

  /// Works on the editor and its buffer; its messages stand above this window.
  FindDialog(EditorBuffer& buffer, CodeEditor& editor, const MessengerSource& messengers);
  ~FindDialog() override;

  /// Edit > Find/Replace, before the window is shown: a non-empty selection of the editor
  /// becomes the search text.
  void TakeSelection();

  const document::FindReplace& engine() const { return engine_; }

 public slots:
  void FindClick();
  void ReplaceClick();
  void ReplaceAllClick();
  void CloseClick();

 private:
  void ShowSelection(bool selected);
  void ShowPosition();

  EditorBuffer& buffer_;
  CodeEditor& editor_;
  ui::Messenger& messenger_;
  document::FindReplace engine_;
  QLineEdit* find_edit_ = nullptr;
  QLineEdit* replace_edit_ = nullptr;
  QLabel* position_label_ = nullptr;
};

}  // namespace quillan::gui
