#include "gui/windows/api_spy_window.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/picker_arrow.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"

namespace quillan::gui {

namespace {

struct Field {
  const char* name;
  const char* label_name;
  const char* label;
  const char* initial;
};
constexpr Field kFields[] = {
    {"txtHandle", "Label1", "Handle:", "0"},
    {"txtText", "Label2", "Text:", ""},
    {"txtClass", "Label3", "Class:", ""},
    {"txtParHandle", "Label4", "Parent Handle:", "0"},
    {"txtParText", "Label5", "Parent Text:", ""},
    {"txtParClass", "Label6", "Parent Class Name:", ""},
};

}  // namespace

ApiSpyWindow::ApiSpyWindow(wintools::WindowSystem& windows, wintools::PickHighlight& highlight)
    : QDialog(nullptr), windows_(windows), tracker_(windows, highlight) {
  MakeToolWindow(*this, "frmAPISpy", "API Spy");

  auto* frame = new QGroupBox("Controls", this);
  frame->setObjectName("Frame1");
  arrow_ = new PickerArrow(PickerArrow::Starts::kLeftButton, frame);
  auto* instruction =
      new QLabel("Drag the arrow over the window you want to get the API from.", frame);
  instruction->setObjectName("Label7");
  instruction->setWordWrap(true);
  auto* close = ToolButton(frame, "Command1", "&Close");
  auto* top_row = new QHBoxLayout;
  top_row->addWidget(arrow_);
  top_row->addWidget(instruction, 1);
  top_row->addWidget(close);

  auto* form = new QFormLayout;
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    auto* label = new QLabel(kFields[i].label, frame);
    label->setObjectName(kFields[i].label_name);
    fields_[i] = new QLineEdit(kFields[i].initial, frame);
    fields_[i]->setObjectName(kFields[i].name);
    // Read out by its label, not by the frame around it.
    fields_[i]->setAccessibleName(QString(kFields[i].label).remove(':'));
    fields_[i]->setMinimumWidth(260);
    form->addRow(label, fields_[i]);
  }
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addLayout(top_row);
  frame_layout->addLayout(form);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // The window system gets ready for the windows the arrow may reach.
  connect(arrow_, &PickerArrow::Started, this, [this] { windows_.PrepareToPick(); });
  connect(arrow_, &PickerArrow::Moved, this, [this](Qt::MouseButtons held) {
    if (held.testFlag(Qt::LeftButton) && spy_.Inspect(windows_, tracker_.Follow())) ShowFields();
  });
  // The release takes the outline away and reads the window under the pointer once more.
  connect(arrow_, &PickerArrow::Released, this, [this](Qt::MouseButton) {
    tracker_.End();
    if (spy_.Inspect(windows_)) ShowFields();
  });
  connect(arrow_, &PickerArrow::Cancelled, this, [this] { tracker_.End(); });
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void ApiSpyWindow::ShowFields() {
  const wintools::ApiSpyFields& f = spy_.fields();
  const std::u16string* values[] = {&f.handle,        &f.text,        &f.class_name,
                                    &f.parent_handle, &f.parent_text, &f.parent_class};
  for (std::size_t i = 0; i < std::size(values); ++i) fields_[i]->setText(ToQString(*values[i]));
}

}  // namespace quillan::gui
