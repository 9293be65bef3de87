#include "gui/windows/find_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"

namespace quillan::gui {
namespace {

// The text boxes' design width, 3015 twips, at 96 dots per inch.
constexpr int kTextBoxWidth = 201;

// A labelled text box on the next row of the grid; the label's access key focuses the box.
QLineEdit* AddField(QWidget* parent, QGridLayout* grid, const char* label_name, const char* caption,
                    const char* edit_name) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(label_name);
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(edit_name);
  edit->setMinimumWidth(kTextBoxWidth);
  label->setBuddy(edit);
  const int row = grid->rowCount() - (grid->count() == 0 ? 1 : 0);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  return edit;
}

QPushButton* AddButton(QWidget* parent, QHBoxLayout* row, const char* name, const char* caption) {
  auto* button = ToolButton(parent, name, caption);
  row->addWidget(button);
  return button;
}

}  // namespace

FindDialog::FindDialog(EditorBuffer& buffer, CodeEditor& editor, const MessengerSource& messengers)
    : QDialog(nullptr), buffer_(buffer), editor_(editor), messenger_(messengers(*this)) {
  // No owner and no modality: the window floats above everything, the editor stays usable.
  setObjectName("frmFind");
  setWindowTitle("Find/Replace");
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(false);

  auto* frame = new QGroupBox("Find/Replace", this);
  frame->setObjectName("Frame1");

  auto* fields = new QGridLayout;
  find_edit_ = AddField(frame, fields, "Label1", "&Find What:", "txtFind");
  replace_edit_ = AddField(frame, fields, "Label2", "R&eplace With:", "txtReplace");

  auto* buttons = new QHBoxLayout;
  QPushButton* find = AddButton(frame, buttons, "Command1", "F&ind");
  QPushButton* replace = AddButton(frame, buttons, "Command2", "&Replace");
  QPushButton* replace_all = AddButton(frame, buttons, "Command4", "Replace &All");
  QPushButton* close = AddButton(frame, buttons, "Command3", "&Close");

  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addLayout(fields);
  frame_layout->addSpacing(6);
  frame_layout->addLayout(buttons);

  // The search position, kept for tests and tools that read the window's controls.
  position_label_ = new QLabel(this);
  position_label_->setObjectName("Label3");
  position_label_->hide();
  ShowPosition();

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  connect(find, &QPushButton::clicked, this, &FindDialog::FindClick);
  connect(replace, &QPushButton::clicked, this, &FindDialog::ReplaceClick);
  connect(replace_all, &QPushButton::clicked, this, &FindDialog::ReplaceAllClick);
  connect(close, &QPushButton::clicked, this, &FindDialog::CloseClick);
}

FindDialog::~FindDialog() = default;

void FindDialog::TakeSelection() {
  const std::u16string selected = buffer_.SelText();
  if (!selected.empty()) find_edit_->setText(ToQString(selected));
}

void FindDialog::FindClick() {
  const bool selected = engine_.Find(buffer_, messenger_, ToU16(find_edit_->text()));
  ShowSelection(selected);
}

// Replace changes the text with a single replacement of the selection, which the editor keeps
// as one undo step by itself. It runs outside an edit block on purpose: it searches the text
// it has just changed.
void FindDialog::ReplaceClick() {
  ShowSelection(engine_.Replace(buffer_, messenger_, ToU16(find_edit_->text()),
                                ToU16(replace_edit_->text())));
}

void FindDialog::ReplaceAllClick() {
  engine_.ReplaceAll(buffer_, messenger_, ToU16(find_edit_->text()), ToU16(replace_edit_->text()));
  ShowPosition();
}

void FindDialog::CloseClick() { hide(); }

void FindDialog::ShowSelection(bool selected) {
  ShowPosition();
  if (!selected) return;
  // The occurrence is shown where the user works on it: the main window and its editor get
  // the focus, while this window stays on top.
  editor_.window()->activateWindow();
  editor_.setFocus();
  editor_.ensureCursorVisible();
}

void FindDialog::ShowPosition() { position_label_->setText(QString::number(engine_.position())); }

}  // namespace quillan::gui
