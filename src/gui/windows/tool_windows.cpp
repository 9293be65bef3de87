#include "gui/windows/tool_windows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <span>
#include <tuple>

namespace quillan::gui {

namespace {

// The gap between the main window's frame and a window placed beside it.
constexpr int kGap = 8;
// The height of a title bar, and the step of the cascade, while no frame tells it.
constexpr int kMinTitle = 24;
// How many steps down each cascade are tried.
constexpr int kCascadeSteps = 64;

long long AreaOf(const QRect& r) {
  return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height();
}

// `r` moved the least that puts it inside `area`; one larger than the area keeps its top-left
// corner in it.
QRect Inside(QRect r, const QRect& area) {
  r.moveLeft(
      std::clamp(r.left(), area.left(), std::max(area.left(), area.right() + 1 - r.width())));
  r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() + 1 - r.height())));
  return r;
}

// The title bar of a window whose outer rectangle is `outer`.
QRect TitleOf(const QRect& outer, int title) {
  return {outer.topLeft(), QSize(outer.width(), title)};
}

// How many of the title bars of the windows `shown` a window at `r`, above them, would hide
// part of.
int HiddenTitles(const QRect& r, const std::vector<QRect>& shown, int title) {
  return static_cast<int>(std::count_if(shown.begin(), shown.end(), [&](const QRect& other) {
    return r.intersects(TitleOf(other, title));
  }));
}

// A place a cascade may start from, and which way it steps sideways.
struct CascadeStart {
  QRect rect;
  int dx;
};

// Step k of the cascade from `start`: k title bars lower and k times `dx` sideways, within
// `area`, back up to the area's top each time its bottom is reached.
QRect CascadeStep(const CascadeStart& start, const QRect& area, int title, int k) {
  const int room = std::max(0, area.height() - start.rect.height());
  const int y = area.top() + (std::max(0, start.rect.top() - area.top()) + k * title) % (room + 1);
  return Inside(QRect(QPoint(start.rect.left() + k * start.dx, y), start.rect.size()), area);
}

// The best place down the cascades from `starts` (in order of preference): one that leaves
// the title bar of the window `main` in view, then hides no title bar of `shown`, or the
// fewest; then from the start that covers least of `main`, at the step that covers least of
// it; then from the earliest start, in the fewest steps.
QPoint Settle(std::span<const CascadeStart> starts, const QRect& area,
              const std::vector<QRect>& shown, int title, const QRect& main) {
  QPoint best;
  std::tuple<bool, int, long long, long long, std::size_t, int> best_key{true, INT_MAX, 0, 0, 0, 0};
  for (std::size_t order = 0; order < starts.size(); ++order) {
    const long long start_cover = AreaOf(starts[order].rect.intersected(main));
    for (int k = 0; k < kCascadeSteps; ++k) {
      const QRect r = CascadeStep(starts[order], area, title, k);
      const std::tuple key{r.intersects(TitleOf(main, title)),
                           HiddenTitles(r, shown, title),
                           start_cover,
                           AreaOf(r.intersected(main)),
                           order,
                           k};
      if (key < best_key) {
        best_key = key;
        best = r.topLeft();
      }
    }
  }
  return best;
}

// Where a window of outer size `size` goes beside the main window's outer rectangle `main`
// within a screen's free `area`: right of it when there is room, else left of it, else below
// or above it, else wherever it covers least of it, never over its title bar where that can
// be helped; each time down the cascade, away from the main window, past the title bars of
// the windows already `shown` (outer rectangles).
QPoint PlaceBeside(QSize size, const QRect& main, const QRect& area,
                   const std::vector<QRect>& shown, int title) {
  const CascadeStart sides[] = {
      {Inside(QRect(QPoint(main.right() + 1 + kGap, main.top()), size), area), title},
      {Inside(QRect(QPoint(main.left() - kGap - size.width(), main.top()), size), area), -title},
      {Inside(QRect(QPoint(main.left(), main.bottom() + 1 + kGap), size), area), title},
      {Inside(QRect(QPoint(main.left(), main.top() - kGap - size.height()), size), area), title},
  };
  return Settle(sides, area, shown, title, main);
}

// `outer` as it may be shown: unchanged when the screens' free areas hold it whole, else
// moved into the free area of the nearest screen (the one it reaches into most among those
// it touches), as when it was kept on a monitor that is gone or at a larger resolution.
QRect OntoAScreen(const QRect& outer) {
  QRegion free;
  const QList<QScreen*> screens = QGuiApplication::screens();
  for (const QScreen* screen : screens) free += screen->availableGeometry();
  if (free.isEmpty() || QRegion(outer).subtracted(free).isEmpty()) return outer;
  QRect nearest;
  long long nearest_distance = 0, nearest_common = 0;
  for (const QScreen* screen : screens) {
    const QRect a = screen->availableGeometry();
    const long long dx = std::max({0, a.left() - outer.right(), outer.left() - a.right()});
    const long long dy = std::max({0, a.top() - outer.bottom(), outer.top() - a.bottom()});
    const long long distance = dx * dx + dy * dy;
    const long long common = AreaOf(a.intersected(outer));
    if (nearest.isNull() || distance < nearest_distance ||
        (distance == nearest_distance && common > nearest_common)) {
      nearest = a;
      nearest_distance = distance;
      nearest_common = common;
    }
  }
  return Inside(outer, nearest);
}

}  // namespace

ToolWindows::ToolWindows(QWidget& main_window, settings::SettingsStore& settings)
    : main_(main_window), settings_(settings) {
  setObjectName("toolWindows");
}

ToolWindows::~ToolWindows() {
  for (auto& [type, entry] : entries_) {
    // Going with the program is no closing: the places were kept when the session ended.
    if (entry.window) entry.window->removeEventFilter(this);
  }
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
    Place(entry);
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

void ToolWindows::Place(Entry& entry) {
  if (entry.rules.first_place != FirstPlace::kBesideMain) return;
  QWidget& window = *entry.window;
  if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
  // Until it is shown the window has no frame; the window manager will give it one like the
  // main window's.
  const QRect main = main_.frameGeometry();
  const QSize size = window.size() + (main.size() - main_.size());
  const int title = std::max(kMinTitle, main_.geometry().top() - main.top());
  std::vector<QRect> shown;
  for (const auto& [type, other] : entries_) {
    if (other.window && other.window != entry.window && other.window->isVisible()) {
      shown.push_back(other.window->frameGeometry());
    }
  }
  const QScreen* screen = QGuiApplication::screenAt(main.center());
  if (screen == nullptr) screen = main_.screen();
  if (screen == nullptr) return;

  std::optional<settings::Position> kept;
  if (!entry.rules.remembered_in.empty()) {
    kept = settings::ReadPosition(settings_, entry.rules.remembered_in);
  }
  if (!kept) {
    window.move(PlaceBeside(size, main, screen->availableGeometry(), shown, title));
    return;
  }
  const double dpi = Dpi();
  auto px = [dpi](std::int32_t twips) {
    return static_cast<int>(std::lround(settings::TwipsToPixels(twips, dpi)));
  };
  // Where it was, if a screen still shows that place; another window already there keeps
  // its title bar in view. Over the main window too, if that is where it was left.
  const QRect outer = OntoAScreen(QRect(QPoint(px(kept->left), px(kept->top)), size));
  const QScreen* its = QGuiApplication::screenAt(outer.center());
  const CascadeStart from[] = {{outer, title}};
  window.move(Settle(from, (its != nullptr ? its : screen)->availableGeometry(), shown, title, {}));
}

void ToolWindows::Remember(const Entry& entry) {
  if (entry.rules.remembered_in.empty() || !entry.window) return;
  const double dpi = Dpi();
  const QPoint at = entry.window->frameGeometry().topLeft();
  settings::StorePosition(
      settings_, entry.rules.remembered_in,
      {settings::PixelsToTwips(at.x(), dpi), settings::PixelsToTwips(at.y(), dpi)});
}

void ToolWindows::RememberPlaces() {
  for (const auto& [type, entry] : entries_) {
    if (entry.window && entry.window->isVisible()) Remember(entry);
  }
}

double ToolWindows::Dpi() const {
  const QScreen* screen = main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
  return dpi > 0 ? dpi : 96.0;
}

bool ToolWindows::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
    for (auto& [type, entry] : entries_) {
      if (entry.window != watched) continue;
      // Kept whenever it goes out of sight, as the session may end while it is hidden.
      if (event->type() == QEvent::Hide) Remember(entry);
      if (entry.rules.while_shown != WhileShown::kMainStaysEnabled) Release(entry);
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
