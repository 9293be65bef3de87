#include "gui/commands/tool_notice.h"

#include <QTimer>

#include "gui/widgets/picker_arrow.h"

namespace quillan::gui {

void ToolNotice::ToolShown(QWidget& tool) {
  if (said_) return;
  const std::u16string reason = windows_.CannotDo(wintools::Capability::kReadWindows);
  if (reason.empty()) return;
  said_ = true;
  Say(tool, reason);
}

void ToolNotice::Watch(QWidget& tool) {
  auto* arrow = tool.findChild<PickerArrow*>("Picture1");
  if (arrow == nullptr) return;
  QObject::connect(arrow, &PickerArrow::Released, &tool, [this, &tool](Qt::MouseButton) {
    const std::u16string notice = windows_.TakeNotice();
    if (!notice.empty()) Say(tool, notice);
  });
}

void ToolNotice::Say(QWidget& tool, const std::u16string& text) {
  // Once the tool is on the screen (and the drag has let the mouse go), above it.
  QTimer::singleShot(0, &tool, [this, &tool, text] {
    messengers_(tool).Show(text, ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
  });
}

}  // namespace quillan::gui
