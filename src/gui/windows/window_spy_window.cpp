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
#include "gui/widgets/tool_window_parts.h"
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

WindowSpyWindow::WindowSpyWindow(wintools::WindowSystem& windows,
                                 wintools::PickHighlight& highlight, ToolWindows& tools)
    : QDialog(nullptr),
      windows_(windows),
      tracker_(windows, highlight),
      modify_text_(tools.Add<ModifyTextDialog>([this] {
        return new ModifyTextDialog(
            windows_, [this] { return wintools::ParseHandle(ToU16(handle_->text())); });
      })) {
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
    action_buttons_.emplace_back(button, action);
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
  ShowLimits();
  connect(handle_, &QLineEdit::textChanged, this, &WindowSpyWindow::ShowLimits);

  // The window system gets ready for the windows the arrow may reach.
  connect(arrow_, &PickerArrow::Started, this, [this] { windows_.PrepareToPick(); });
  connect(arrow_, &PickerArrow::Moved, this, [this](Qt::MouseButtons held) {
    if (!held.testFlag(Qt::LeftButton)) return;
    const wintools::Hwnd h = tracker_.Follow();
    if (h != 0) handle_->setText(ToQString(wintools::HandleText(h)));
  });
  connect(arrow_, &PickerArrow::Released, this, [this](Qt::MouseButton) { tracker_.End(); });
  connect(arrow_, &PickerArrow::Cancelled, this, [this] { tracker_.End(); });
}

WindowSpyWindow::~WindowSpyWindow() = default;

void WindowSpyWindow::ShowLimits() {
  // Say what cannot work on this window instead of pretending; for a box that holds no
  // handle, what cannot work in this session.
  const auto h = wintools::ParseHandle(ToU16(handle_->text()));
  for (const auto& [button, action] : action_buttons_) {
    const std::u16string limit = h ? wintools::SpyActionLimit(windows_, action, *h)
                                   : wintools::SpyActionLimit(windows_, action);
    button->setEnabled(limit.empty());
    button->setToolTip(
        ToQString(limit.empty() ? wintools::SpyActionNote(windows_, action, h) : limit));
  }
}

void WindowSpyWindow::OpenModifyText(bool caption) {
  // Only the dialog takes input while it is there, not this window either.
  modify_text_.Get().Load(caption);
  modify_text_.Show(this);
}

}  // namespace quillan::gui
