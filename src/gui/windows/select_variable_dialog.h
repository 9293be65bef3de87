#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/insert_declarations.h"
#include "gui/windows/tool_windows.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quillan::gui {

/// `frmVar`, the Select Variable dialog: the list of candidate handle variables, the option
/// "Insert Declarations with code." and OK/Cancel. It stays above all windows. It only shows
/// and reports; the window-action commands decide what its buttons do.
class SelectVariableDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain};

  /// Makes the dialog hidden; its check box follows `option`, freshly read from the store.
  SelectVariableDialog(QWidget* parent, codegen::InsertDeclarations& option);
  ~SelectVariableDialog() override;

  /// Lists the names, puts the tag into `lblType`, selects nothing and shows the dialog.
  void Present(const std::vector<std::u16string>& names, std::u16string_view tag);
  /// Hides the dialog and empties its list; with `clear_tag`, `lblType` too.
  void Reset(bool clear_tag);
  /// The text of the selected name, exactly as listed; "" when none is selected.
  std::u16string SelectedVariable() const;

 signals:
  void OkPressed();
  void CancelPressed();
  /// The dialog was closed through its frame and is about to be destroyed.
  void ClosedByFrame();

 public slots:
  /// Escape does what Cancel does.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  codegen::InsertDeclarations& option_;
  QListWidget* list_;
  QCheckBox* check_;
  QLabel* tag_label_;
};

}  // namespace quillan::gui
