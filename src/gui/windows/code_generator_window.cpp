#include "gui/windows/code_generator_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/option_box.h"
#include "gui/widgets/picker_arrow.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"
#include "wintools/api_spy.h"
#include "wintools/code_generator.h"

namespace quillan::gui {

CodeGeneratorWindow::CodeGeneratorWindow(wintools::WindowSystem& windows,
                                         wintools::PickHighlight& highlight, EditorBuffer& buffer,
                                         CodeEditor& main_editor,
                                         codegen::InsertDeclarations& option,
                                         const MessengerSource& messengers)
    : QDialog(nullptr),
      windows_(windows),
      tracker_(windows, highlight),
      buffer_(buffer),
      main_editor_(main_editor),
      option_(option),
      messenger_(messengers(*this)) {
  MakeToolWindow(*this, "frmGenerator", "Code Generator");

  auto* frame = new QGroupBox("Code Generator", this);
  frame->setObjectName("Frame1");
  arrow_ = new PickerArrow(PickerArrow::Starts::kAnyButton, frame);
  auto* instruction = new QLabel(
      "Drag the arrow over the window you want to generate the code for. Click insert if you "
      "want to insert it into your code.",
      frame);
  instruction->setObjectName("Label1");
  instruction->setWordWrap(true);
  preview_ = new QPlainTextEdit(frame);
  preview_->setObjectName("txtCode");
  preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
  preview_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  preview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  preview_->setMinimumSize(420, 160);
  check_ = new OptionBox(option_, frame);
  auto* insert = ToolButton(frame, "Command2", "&Insert");
  auto* close = ToolButton(frame, "Command1", "&Close");

  auto* top_row = new QHBoxLayout;
  top_row->addWidget(arrow_);
  top_row->addWidget(instruction, 1);
  auto* bottom_row = new QHBoxLayout;
  bottom_row->addWidget(check_, 1);
  bottom_row->addWidget(insert);
  bottom_row->addWidget(close);
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addLayout(top_row);
  frame_layout->addWidget(preview_, 1);
  frame_layout->addLayout(bottom_row);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  // The window system gets ready for the windows the arrow may reach.
  connect(arrow_, &PickerArrow::Started, this, [this] { windows_.PrepareToPick(); });
  connect(arrow_, &PickerArrow::Moved, this, [this](Qt::MouseButtons held) {
    if (!held.testFlag(Qt::LeftButton)) return;
    const wintools::Hwnd h = tracker_.Follow();
    if (h != 0) Pick(h);
  });
  connect(arrow_, &PickerArrow::Released, this, [this](Qt::MouseButton) {
    tracker_.End();
    Generate();
  });
  connect(arrow_, &PickerArrow::Cancelled, this, [this] { tracker_.End(); });
  connect(insert, &QPushButton::clicked, this, &CodeGeneratorWindow::InsertClick);
  connect(close, &QPushButton::clicked, this, &CodeGeneratorWindow::CloseClick);
}

CodeGeneratorWindow::~CodeGeneratorWindow() = default;

void CodeGeneratorWindow::Generate() {
  // Nothing picked since the window was made, or the picked window has gone since: nothing
  // to generate, the preview stays.
  if (!picked_) return;
  const std::u16string code = wintools::GenerateFinderCode(windows_, *picked_);
  if (code.empty()) return;
  preview_->setPlainText(ToPlainLines(code));
}

std::u16string CodeGeneratorWindow::Preview() const {
  QString text = preview_->toPlainText();
  text.replace(QChar(u'\n'), QString("\r\n"));
  return ToU16(text);
}

void CodeGeneratorWindow::InsertClick() {
  bool inserted = false;
  {
    EditorBuffer::Command command(buffer_);
    inserted = wintools::InsertFinderCode(Preview(), buffer_, option_, messenger_);
  }
  if (!inserted) return;
  main_editor_.window()->activateWindow();
  main_editor_.setFocus();
  hide();
}

void CodeGeneratorWindow::CloseClick() {
  option_.Store();
  hide();
}

void CodeGeneratorWindow::closeEvent(QCloseEvent* event) {
  // Closing through the frame only hides the window, like Close.
  option_.Store();
  event->accept();
}

}  // namespace quillan::gui
