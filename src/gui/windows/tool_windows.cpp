#include "gui/windows/tool_windows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace quillan::gui {

namespace {

// The gap between the main window's frame and a window placed beside it.
constexpr int kGap = 8;

}  // namespace

void PlaceBeside(QWidget& window, const QWidget& main) {
  const QRect anchor = main.frameGeometry();
  const QScreen* screen = QGuiApplication::screenAt(anchor.center());
  if (screen == nullptr) screen = main.screen();
  if (screen == nullptr) return;
  const QRect free_area = screen->availableGeometry();
  const QSize size = window.frameGeometry().size().expandedTo(window.sizeHint());
  QPoint at(anchor.right() + 1 + kGap, anchor.top());
  if (at.x() + size.width() > free_area.right() + 1) {
    at.setX(anchor.left() - kGap - size.width());
  }
  // Where neither side has room, it overlaps the main window but stays wholly on the screen.
  at.setX(std::clamp(at.x(), free_area.left(),
                     std::max(free_area.left(), free_area.right() + 1 - size.width())));
  at.setY(std::clamp(at.y(), free_area.top(),
                     std::max(free_area.top(), free_area.bottom() + 1 - size.height())));
  window.move(at);
}

ToolWindows::ToolWindows(QWidget& main_window) : main_(main_window) {
  setObjectName("toolWindows");
}

ToolWindows::~ToolWindows() {
  for (auto& [type, entry] : entries_) {
    // Windows without a parent are ours to delete; the others go with the main window.
    if (entry.window && entry.window->parent() == nullptr) delete entry.window.data();
  }
}

QWidget& ToolWindows::Get(std::type_index type) {
  Entry& entry = entries_.at(type);
  if (!entry.window) {
    entry.window = entry.make();
    entry.placed = false;
    entry.window->installEventFilter(this);
  }
  return *entry.window;
}

QWidget* ToolWindows::Existing(std::type_index type) const {
  auto it = entries_.find(type);
  return it == entries_.end() ? nullptr : it->second.window.data();
}

QWidget& ToolWindows::Show(std::type_index type, QWidget* opener) {
  QWidget& window = Get(type);
  Entry& entry = entries_.at(type);
  if (!entry.placed) {
    entry.placed = true;
    if (entry.rules.first_place == FirstPlace::kBesideMain) {
      window.adjustSize();
      PlaceBeside(window, main_);
    }
  }
  if (entry.rules.while_shown != WhileShown::kMainStaysEnabled) {
    // A disabled parent disables its child windows too; this one must take input.
    main_.setEnabled(false);
    if (entry.rules.while_shown == WhileShown::kMainAndOpenerDisabled && opener != nullptr) {
      entry.opener = opener;
      opener->setEnabled(false);
    }
    window.setEnabled(true);
  }
  window.show();
  window.raise();
  window.activateWindow();
  return window;
}

void ToolWindows::Hide(std::type_index type) {
  if (QWidget* window = Existing(type)) window->hide();
}

bool ToolWindows::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
    for (auto& [type, entry] : entries_) {
      if (entry.window == watched && entry.rules.while_shown != WhileShown::kMainStaysEnabled) {
        Release(entry);
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void ToolWindows::Release(Entry& entry) {
  if (entry.opener) entry.opener->setEnabled(true);
  entry.opener = nullptr;
  if (main_.isEnabled()) return;
  main_.setEnabled(true);
  main_.activateWindow();
}

}  // namespace quillan::gui
