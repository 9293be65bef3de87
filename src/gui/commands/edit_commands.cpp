#include "gui/commands/edit_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>

#include "document/document_commands.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/find_dialog.h"
#include "gui/windows/tool_windows.h"

namespace quillan::gui {

EditCommands::EditCommands(const ActionTable& actions, CodeEditor& editor, EditorBuffer& buffer,
                           ToolWindows& tools, const MessengerSource& messengers)
    : actions_(actions),
      editor_(editor),
      buffer_(buffer),
      messengers_(messengers),
      find_(tools.Add<FindDialog>(
          [this, messengers] { return new FindDialog(buffer_, editor_, messengers); })),
      viewport_(editor.viewport()) {
  setObjectName("editCommands");
  connect(actions_.Action("Cut"), &QAction::triggered, this, &EditCommands::CutClick);
  connect(actions_.Action("Copy"), &QAction::triggered, this, &EditCommands::CopyClick);
  connect(actions_.Action("Paste"), &QAction::triggered, this, &EditCommands::PasteClick);
  editor_.SetPasteCheck([this](const QString& text) { return MayPaste(text); });
  connect(actions_.Action("Delete"), &QAction::triggered, this, &EditCommands::DeleteClick);
  connect(actions_.Action("Undo"), &QAction::triggered, this, &EditCommands::UndoClick);
  connect(actions_.Action("Select_All"), &QAction::triggered, this, &EditCommands::SelectAllClick);
  connect(actions_.Action("Find"), &QAction::triggered, this, &EditCommands::FindClick);

  // Any change that is not our own Undo makes the next Undo revert that change.
  connect(&editor_, &CodeEditor::Changed, this, [this] {
    if (!undoing_) last_change_was_undo_ = false;
  });
  editor_.viewport()->installEventFilter(this);
}

EditCommands::~EditCommands() = default;

bool EditCommands::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport_ && event->type() == QEvent::MouseButtonRelease) {
    // The editor handles the release after this filter, and a release can still change the
    // selection (a click inside a selection drops it), so look once it has been handled.
    QMetaObject::invokeMethod(this, &EditCommands::UpdateSelectionControls, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}

void EditCommands::UpdateSelectionControls() {
  const bool selected = editor_.hasSelectedText();
  // The toolbar buttons btnCut and btnCopy follow their actions.
  for (const char* name : {"Cut", "Copy", "Delete"}) actions_.Action(name)->setEnabled(selected);
}

void EditCommands::PutOnClipboard() {
  // Plain text with the platform's line ends.
  const QString selected = ToPlainLines(buffer_.SelText());
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(selected);
}

void EditCommands::ReplaceSelection(const QString& text) {
  EditorBuffer& buffer = buffer_;
  // Replacing nothing with nothing is no change: the document stays unmodified.
  if (text.isEmpty() && buffer.SelLength() == 0) return;
  EditorBuffer::Command guard(buffer);
  buffer.SetSelText(ToU16(text));
}

void EditCommands::CutClick() {
  PutOnClipboard();
  ReplaceSelection(QString());
}

void EditCommands::CopyClick() { PutOnClipboard(); }

bool EditCommands::MayPaste(const QString& text) {
  // A line the editor could not lay out in time is not made. Most pastes are short beside
  // the limit and need no look at the whole text.
  const std::u16string pasted = ToU16(text);
  const long caret = editor_.Send(QsciScintillaBase::SCI_GETCURRENTPOS);
  const long line =
      editor_.Send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
  const auto line_bytes = static_cast<std::size_t>(
      editor_.Send(QsciScintillaBase::SCI_LINELENGTH, static_cast<unsigned long>(line)));
  if (text::LongestLine(pasted) + line_bytes <= text::kMaxLineLength) return true;
  const std::size_t starts[] = {buffer_.SelStart()};
  const std::size_t longest =
      text::LongestLineAfterReplacing(buffer_.Text(), starts, buffer_.SelLength(), pasted);
  if (longest <= text::kMaxLineLength) return true;
  messengers_(*editor_.window())
      .Show(document::LongLineMessage(u"The text was not pasted", longest),
            ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
  return false;
}

void EditCommands::PasteClick() {
  const QString text = QGuiApplication::clipboard()->text();
  if (MayPaste(text)) ReplaceSelection(text);
}

void EditCommands::DeleteClick() { ReplaceSelection(QString()); }

void EditCommands::UndoClick() {
  // One level, as a classic edit box keeps it: Undo reverts the last change, and an Undo
  // right after it reverts that Undo. Qt's deeper history stays on the keyboard.
  CodeEditor* editor = &editor_;
  undoing_ = true;
  if (last_change_was_undo_ && editor->isRedoAvailable()) {
    editor->redo();
  } else {
    editor->undo();
  }
  undoing_ = false;
  last_change_was_undo_ = !last_change_was_undo_;
}

void EditCommands::SelectAllClick() {
  EditorBuffer& buffer = buffer_;
  buffer.SetSelStart(0);
  buffer.SetSelLength(buffer.Length());
}

void EditCommands::FindClick() {
  find_.Get().TakeSelection();
  find_.Show();
}

}  // namespace quillan::gui
