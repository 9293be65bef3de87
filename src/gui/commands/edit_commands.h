#pragma once

#include <QObject>

#include "gui/widgets/action_table.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/find_dialog.h"
#include "gui/windows/tool_windows.h"

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;

/// The Edit menu of the main window and its toolbar buttons: the clipboard commands, the
/// one-level Undo, Select All, the Find/Replace window, and the rule that enables Cut, Copy
/// and Delete (with their buttons) only when a mouse release over the editor left a
/// selection.
class EditCommands final : public QObject {
  Q_OBJECT

 public:
  /// Serves the items of `actions` on the editor; the Find/Replace window `frmFind` is one
  /// of the tool windows.
  EditCommands(const ActionTable& actions, CodeEditor& editor, EditorBuffer& buffer,
               ToolWindows& tools, const MessengerSource& messengers);
  ~EditCommands() override;

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
  bool MayPaste(const QString& text);

  const ActionTable& actions_;
  CodeEditor& editor_;
  EditorBuffer& buffer_;
  MessengerSource messengers_;
  ToolWindowSlot<FindDialog> find_;
  // The editor's viewport, compared only: its events arrive also while the window dies.
  const QObject* viewport_;
  // The last change of the text was our Undo, so the next Undo reverts it.
  bool last_change_was_undo_ = false;
  bool undoing_ = false;
};

}  // namespace quillan::gui
