#include "gui/windows/modify_text_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"
#include "wintools/window_spy.h"

namespace quillan::gui {

ModifyTextDialog::ModifyTextDialog(wintools::WindowSystem& windows,
                                   std::function<std::optional<wintools::Hwnd>()> target)
    : QDialog(nullptr), windows_(windows), target_(std::move(target)) {
  MakeToolWindow(*this, "frmText", "Modify Text");
  setAttribute(Qt::WA_DeleteOnClose, true);
  frame_ = new QGroupBox("Control", this);
  frame_->setObjectName("Frame1");
  text_ = new QLineEdit(frame_);
  text_->setObjectName("Text1");
  text_->setMinimumWidth(260);
  auto* change = ToolButton(frame_, "SSCommand1", "Change");
  auto* close = ToolButton(frame_, "SSCommand2", "Close");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(change);
  buttons->addWidget(close);
  auto* frame_layout = new QVBoxLayout(frame_);
  frame_layout->addWidget(text_);
  frame_layout->addLayout(buttons);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame_);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  connect(change, &QPushButton::clicked, this, [this] {
    if (const auto h = target_()) wintools::WriteText(windows_, *h, ToU16(text_->text()));
  });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
}

ModifyTextDialog::~ModifyTextDialog() = default;

void ModifyTextDialog::Load(bool caption) {
  setWindowTitle(caption ? "Modify Caption" : "Modify Text");
  const auto h = target_();
  text_->setText(h ? ToQString(caption ? wintools::ReadCaption(windows_, *h)
                                       : wintools::ReadText(windows_, *h))
                   : QString());
}

}  // namespace quillan::gui
