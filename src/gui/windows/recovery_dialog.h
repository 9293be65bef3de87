#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QTreeWidget;

namespace quillan::gui {

/// One piece of unsaved work a Quillan left behind, as the list shows it.
struct RecoveryRow {
  QString name;        ///< the project's file name, or "Untitled"
  QString written;     ///< when the copy was last written, in the user's format
  QString first_line;  ///< the first line of the text that holds more than blanks
};

/// `frmRecover`: the unsaved work that Quillans which ended without saving left behind, one
/// row each, all checked. Restore brings the checked ones back, Discard deletes them for good,
/// Decide Later keeps everything for the next start.
class RecoveryDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Choice { kRestore, kDiscard, kLater };

  RecoveryDialog(const std::vector<RecoveryRow>& rows, QWidget* parent);

  Choice choice() const { return choice_; }
  /// The rows checked when the dialog closed, by their place in the list.
  std::vector<std::size_t> Checked() const;

 private:
  void Close(Choice choice);

  QTreeWidget* list_;
  Choice choice_ = Choice::kLater;
};

}  // namespace quillan::gui
