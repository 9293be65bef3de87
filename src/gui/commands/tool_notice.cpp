#include "gui/commands/tool_notice.h"

#include <QTimer>

namespace quillan::gui {

void ToolNotice::ToolShown(QWidget& tool) {
  if (said_) return;
  const std::u16string reason = windows_.CannotDo(wintools::Capability::kReadWindows);
  if (reason.empty()) return;
  said_ = true;
  // Once the tool is on the screen, above it.
  QTimer::singleShot(0, &tool, [this, &tool, reason] {
    messengers_(tool).Show(reason, ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
  });
}

}  // namespace quillan::gui
