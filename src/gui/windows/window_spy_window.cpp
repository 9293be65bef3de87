#include "gui/windows/window_spy_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/picker_arrow.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/widgets.h"
#include "gui/windows/api_spy_window.h"
#include "wintools/api_spy.h"

namespace quillan::gui {

namespace {

// The ten buttons: the eight that make one call, and Caption and Text, which open Modify
// Text (no action).
struct Button {
  const char* name;
  const char* caption;
  std::optional<wintools::SpyAction> action;
  bool caption_mode = false;
};
const Button kButtons[] = {
    {"SSCommand1", "Hide", wintools::SpyAction::kHide},
    {"SSCommand2", "Show", wintools::SpyAction::kShow},
    {"SSCommand3", "Caption", std::nullopt, true},
    {"SSCommand4", "Text", std::nullopt, false},
    {"SSCommand5", "Enable", wintools::SpyAction::kEnable},
    {"SSCommand6", "Disable", wintools::SpyAction::kDisable},
    {"SSCommand7", "Minimize", wintools::SpyAction::kMinimize},
    {"SSCommand8", "Maximize", wintools::SpyAction::kMaximize},
    {"SSCommand9", "Restore", wintools::SpyAction::kRestore},
    {"SSCommand10", "Close", wintools::SpyAction::kClose},
};

}  // namespace

ModifyTextDialog::ModifyTextDialog(wintools::WindowSystem& windows,
                                   std::function<std::optional<wintools::Hwnd>()> target,
                                   QWidget& main_window, QWidget& window_spy)
    : QDialog(nullptr),
      windows_(windows),
      target_(std::move(target)),
      main_window_(&main_window),
      window_spy_(&window_spy) {
  MakeToolWindow(*this, "frmText", "Modify Text");
  setAttribute(Qt::WA_DeleteOnClose, true);
  auto* frame = new QGroupBox(QString(), this);
  frame->setObjectName("Frame1");
  text_ = new QLineEdit(frame);
  text_->setObjectName("Text1");
  text_->setMinimumWidth(260);
  auto* change = ToolButton(frame, "SSCommand1", "Change");
  auto* close = ToolButton(frame, "SSCommand2", "Close");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(change);
  buttons->addWidget(close);
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addWidget(text_);
  frame_layout->addLayout(buttons);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // Only the dialog takes input while it is there.
  main_window.setEnabled(false);
  window_spy.setEnabled(false);
  connect(change, &QPushButton::clicked, this, [this] {
    if (const auto h = target_()) wintools::WriteText(windows_, *h, ToU16(text_->text()));
  });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
}

ModifyTextDialog::~ModifyTextDialog() {
  // However it closes, the main window and Window Spy take input again.
  if (main_window_) main_window_->setEnabled(true);
  if (window_spy_) window_spy_->setEnabled(true);
}

void ModifyTextDialog::Open(bool caption) {
  setWindowTitle(caption ? "Modify Caption" : "Modify Text");
  if (caption) findChild<QGroupBox*>("Frame1")->setTitle("Control");
  const auto h = target_();
  text_->setText(h ? ToQString(caption ? wintools::ReadCaption(windows_, *h)
                                       : wintools::ReadText(windows_, *h))
                   : QString());
  show();
  raise();
  activateWindow();
}

WindowSpyWindow::WindowSpyWindow(wintools::WindowSystem& windows, QWidget& main_window)
    : QDialog(nullptr), windows_(windows), main_window_(main_window) {
  MakeToolWindow(*this, "frmWinSpy", "Window Spy");
  auto* frame = new QGroupBox("Window Spy", this);
  frame->setObjectName("Frame1");
  arrow_ = new PickerArrow(PickerArrow::Starts::kLeftButton, frame);
  auto* label = new QLabel("handle:", frame);
  label->setObjectName("Label1");
  handle_ = new QLineEdit("0", frame);
  handle_->setObjectName("Text1");
  auto* top_row = new QHBoxLayout;
  top_row->addWidget(arrow_);
  top_row->addWidget(label);
  top_row->addWidget(handle_, 1);
  auto* grid = new QGridLayout;
  int index = 0;
  for (const Button& spec : kButtons) {
    auto* button = ToolButton(frame, spec.name, spec.caption);
    grid->addWidget(button, index / 2, index % 2);
    ++index;
    if (!spec.action) {
      const bool caption = spec.caption_mode;
      connect(button, &QPushButton::clicked, this, [this, caption] { OpenModifyText(caption); });
      continue;
    }
    const wintools::SpyAction action = *spec.action;
    // Say what cannot work here instead of pretending.
    const std::u16string limit = wintools::SpyActionLimit(windows_, action);
    if (!limit.empty()) {
      button->setEnabled(false);
      button->setToolTip(ToQString(limit));
    }
    connect(button, &QPushButton::clicked, this, [this, action] {
      if (const auto h = wintools::ParseHandle(ToU16(handle_->text()))) {
        wintools::RunSpyAction(windows_, *h, action);
      }
    });
  }
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addLayout(top_row);
  frame_layout->addLayout(grid);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  connect(arrow_, &PickerArrow::Moved, this, [this](Qt::MouseButtons held) {
    if (!held.testFlag(Qt::LeftButton)) return;
    const wintools::Hwnd h = wintools::WindowUnderPointer(windows_);
    if (h != 0) handle_->setText(ToQString(wintools::HandleText(h)));
  });
}

WindowSpyWindow::~WindowSpyWindow() { delete modify_text_.data(); }

void WindowSpyWindow::OpenModifyText(bool caption) {
  if (!modify_text_) {
    modify_text_ = new ModifyTextDialog(
        windows_, [this] { return wintools::ParseHandle(ToU16(handle_->text())); }, main_window_,
        *this);
  }
  modify_text_->Open(caption);
}

}  // namespace quillan::gui
