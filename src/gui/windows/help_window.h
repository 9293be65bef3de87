#pragma once

#include <QDialog>

#include "gui/widgets/port_sources.h"
#include "gui/windows/tool_windows.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;

namespace quillan::gui {

/// `frmHelp`: a description for each command and tool, picked from the Contents or from the
/// Index with its search box. Done, like closing the window, only hides it; the page, the
/// selections, the search text and the description stay.
class HelpWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainDisabled, FirstPlace::kBesideMain,
                                          settings::section::kHelpPlace};

  HelpWindow(QWidget& main_window, const MessengerSource& messengers);

 public slots:
  /// Display: the description of the current page's selected entry.
  void DisplayClick();
  /// Enter in the search box.
  void SearchIndex();

 private:
  void ShowDescription(bool index);

  MessengerSource messengers_;
  QTabWidget* pages_;
  QListWidget* contents_;
  QListWidget* index_;
  QLineEdit* find_;
  QPlainTextEdit* text_;
};

}  // namespace quillan::gui
