#include "gui/windows/tool_windows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace quillan::gui {

namespace {

struct Rule {
  const char* name;
  WhileShown while_shown;
  FirstPlace first_place;
};

// Every window beside the main window, by objectName.
constexpr Rule kRules[] = {
    {"frmFind", WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain},
    {"frmAPISpy", WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain},
    {"frmGenerator", WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain},
    {"frmWinSpy", WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain},
    {"frmSpy", WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain},
    {"frmIcon", WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain},
    {"frmVar", WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain},
    {"frmPrefs", WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain},
    {"frmAbout", WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain},
    {"frmHelp", WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain},
};

const Rule& RuleFor(const QString& name) {
  for (const Rule& rule : kRules) {
    if (name == rule.name) return rule;
  }
  qFatal("tool window %s has no rule", qPrintable(name));
}

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
  for (auto& [name, entry] : entries_) {
    // Windows without a parent are ours to delete; the others go with the main window.
    if (entry.window && entry.window->parent() == nullptr) delete entry.window.data();
  }
}

void ToolWindows::Register(const QString& name, std::function<QWidget*()> make) {
  RuleFor(name);
  entries_[name].make = std::move(make);
}

QWidget& ToolWindows::Get(const QString& name) {
  Entry& entry = entries_.at(name);
  if (!entry.window) {
    entry.window = entry.make();
    entry.placed = false;
    entry.window->installEventFilter(this);
  }
  return *entry.window;
}

QWidget* ToolWindows::Existing(const QString& name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : it->second.window.data();
}

QWidget& ToolWindows::Show(const QString& name) {
  QWidget& window = Get(name);
  Entry& entry = entries_.at(name);
  const Rule& rule = RuleFor(name);
  if (!entry.placed) {
    entry.placed = true;
    if (rule.first_place == FirstPlace::kBesideMain) {
      window.adjustSize();
      PlaceBeside(window, main_);
    }
  }
  if (rule.while_shown == WhileShown::kMainDisabled) {
    // A disabled parent disables its child windows too; this one must take input.
    main_.setEnabled(false);
    window.setEnabled(true);
  }
  window.show();
  window.raise();
  window.activateWindow();
  return window;
}

bool ToolWindows::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (window != nullptr && window->isWindow() &&
        RuleFor(window->objectName()).while_shown == WhileShown::kMainDisabled) {
      ReleaseMainWindow();
    }
  }
  return QObject::eventFilter(watched, event);
}

void ToolWindows::ReleaseMainWindow() {
  if (main_.isEnabled()) return;
  main_.setEnabled(true);
  main_.activateWindow();
}

}  // namespace quillan::gui
