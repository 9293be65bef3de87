#pragma once

#include <QObject>
#include <memory>

namespace quillan::gui {

class FindDialog;
class MainWindow;

/// The Edit menu of the main window and its toolbar buttons: the clipboard commands, the
/// one-level Undo, Select All, the Find/Replace window, and the rule that enables Cut, Copy
/// and Delete (with their buttons) only when a mouse release over the editor left a
/// selection. Created as a child of the window it serves.
class EditCommands final : public QObject {
  Q_OBJECT

 public:
  explicit EditCommands(MainWindow& window);
  ~EditCommands() override;

  /// The Find/Replace window; nullptr until it was first opened.
  FindDialog* find_dialog() const { return find_dialog_.get(); }

 public slots:
  void CutClick();
  void CopyClick();
  void PasteClick();
  void DeleteClick();
  void UndoClick();
  void SelectAllClick();
  void FindClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateSelectionControls();
  void PutOnClipboard();
  void ReplaceSelection(const QString& text);

  MainWindow& window_;
  // The editor's viewport, compared only: its events arrive also while the window dies.
  const QObject* viewport_;
  std::unique_ptr<FindDialog> find_dialog_;
  // The last change of the text was our Undo, so the next Undo reverts it.
  bool last_change_was_undo_ = false;
  bool undoing_ = false;
};

}  // namespace quillan::gui
