#include "gui/windows/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <vector>

#include "gui/widgets/code_editor.h"
#include "gui/widgets/colors.h"
#include "gui/widgets/icons.h"
#include "gui/windows/menu_table.h"
#include "platform/host.h"

namespace quillan::gui {

namespace {

// The design client area of the main window, in twips.
constexpr int kDesignClientWidth = 6285;
constexpr int kDesignClientHeight = 4065;
// How long after the first show a window manager may take to put its frame around the
// window; the stored outer size waits for the frame that long at most.
constexpr int kFrameWaitMs = 2000;

}  // namespace

MainWindow::MainWindow(settings::SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), settings_(settings) {
  setObjectName("frmMain");
  setWindowTitle("Quillan");
  setWindowIcon(AppIcon());

  auto* central = new QWidget(this);
  central->setObjectName("centralArea");
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  toolbar_ = new QFrame(central);
  toolbar_->setObjectName("Frame1");
  toolbar_->setToolTip("Toolbar, right click for hide option.");
  toolbar_->setFrameShape(QFrame::StyledPanel);
  toolbar_->installEventFilter(this);
  layout->addWidget(toolbar_);

  editor_ = new CodeEditor(central);
  editor_->setAccessibleName("Code");
  layout->addWidget(editor_, 1);
  editor_->installEventFilter(this);
  setCentralWidget(central);

  BuildMenus();
  BuildToolbar();
  connect(Action("Exit"), &QAction::triggered, this, &MainWindow::ExitClick);
  connect(Action("OnTop"), &QAction::triggered, this, &MainWindow::OnTopClick);
  connect(Action("Hide_toolbar"), &QAction::triggered, this, &MainWindow::HideToolbarClick);
  editor_->SetShowToolbarAction(Action("Hide_toolbar"));
  // The menu's shortcuts are the menu's: the editor's own commands on those keys go.
  QList<QKeySequence> keys;
  for (const auto& [name, action] : actions_.actions()) keys << action->shortcut();
  editor_->ReleaseKeys(keys);
  BuildStatusBar();
  focus_watch_ =
      connect(qGuiApp, &QGuiApplication::focusObjectChanged, this, [this] { PrimeKeys(); });

  const double dpi = Dpi();
  resize(static_cast<int>(settings::TwipsToPixels(kDesignClientWidth, dpi)),
         static_cast<int>(settings::TwipsToPixels(kDesignClientHeight, dpi)));
}

MainWindow::~MainWindow() {
  // Focus leaves the window's widgets as they go, before this object's connections do.
  disconnect(focus_watch_);
}

void MainWindow::BuildStatusBar() {
  auto field = [this](const char* name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setContentsMargins(6, 0, 6, 0);
    statusBar()->addPermanentWidget(label);
    return label;
  };
  position_ = field("lblPosition", "Ln 1, Col 1");
  encoding_ = field("lblEncoding", "UTF-8");
  line_ends_ = field("lblLineEnds", "CR LF");
  modified_ = field("lblModified", "");
  statusBar()->setSizeGripEnabled(true);
  connect(editor_, &QsciScintilla::cursorPositionChanged, this, &MainWindow::ShowPosition);
}

void MainWindow::ShowPosition() {
  using Sci = QsciScintillaBase;
  const long caret = editor_->Send(Sci::SCI_GETCURRENTPOS);
  const long line = editor_->Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
  const long column = editor_->Send(Sci::SCI_GETCOLUMN, static_cast<unsigned long>(caret));
  const QString text = QString("Ln %1, Col %2").arg(line + 1).arg(column + 1);
  if (text == position_->text()) return;
  position_->setText(text);
  // A field of fixed size changes without laying out the status bar again; it is made
  // wider only when its text needs it.
  const QSize wanted = position_->sizeHint().expandedTo(position_->minimumSize());
  if (wanted != position_->minimumSize() || position_->minimumSize() != position_->maximumSize()) {
    position_->setFixedSize(wanted);
  }
}

void MainWindow::ShowDocumentState(const QString& title, const QString& encoding, bool modified) {
  setWindowTitle(title);
  encoding_->setText(encoding);
  modified_->setText(modified ? "Modified" : "");
}

double MainWindow::Dpi() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const double dpi = s ? s->logicalDotsPerInch() : 96.0;
  return dpi > 0 ? dpi : 96.0;
}

void MainWindow::BuildMenus() {
  std::vector<QMenu*> stack;  // the open menu at each depth
  const auto rows = MainMenuRows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const MenuRow& row = rows[i];
    const bool opens_submenu = i + 1 < rows.size() && rows[i + 1].depth > row.depth;
    stack.resize(static_cast<std::size_t>(row.depth));
    QMenu* parent_menu = stack.empty() ? nullptr : stack.back();
    if (opens_submenu) {
      auto* menu = new QMenu(QString::fromUtf8(row.caption), this);
      menu->setObjectName(row.name);
      menu->menuAction()->setObjectName(row.name);
      if (parent_menu) {
        parent_menu->addMenu(menu);
      } else if (QString(row.name) != "toolbar") {
        menuBar()->addMenu(menu);
      }
      actions_.AddMenu(row.name, menu);
      actions_.AddAction(row.name, menu->menuAction());
      stack.push_back(menu);
      continue;
    }
    QAction* action;
    if (QString(row.caption) == "-") {
      action = parent_menu->addSeparator();
    } else {
      action = parent_menu->addAction(QString::fromUtf8(row.caption));
      if (*row.shortcut) action->setShortcut(QKeySequence(row.shortcut));
      action->setCheckable(row.checkable);
      action->setEnabled(!row.starts_disabled);
    }
    action->setObjectName(row.name);
    actions_.AddAction(row.name, action);
  }
}

void MainWindow::BuildToolbar() {
  // The icons only menus show are looked up once the window is up: the menus are closed in
  // the first frame, and each lookup in the icon theme costs time before it.
  connect(
      this, &MainWindow::FirstShown, this,
      [this] {
        for (const MenuIcon& item : MenuIcons()) {
          Action(item.action)->setIcon(ThemeIcon(QString::fromUtf8(item.theme_icon)));
        }
      },
      Qt::SingleShotConnection);
  auto* row = new QHBoxLayout(toolbar_);
  row->setContentsMargins(3, 2, 3, 2);
  row->setSpacing(1);
  for (const ToolbarButton& spec : ToolbarButtons()) {
    QAction* action = Action(spec.action);
    auto* button = new QToolButton(toolbar_);
    button->setObjectName(spec.name);
    button->setToolTip(QString::fromUtf8(spec.tooltip));
    // Read out by its tooltip, or by its menu item's caption where it has none.
    button->setAccessibleName(*spec.tooltip ? QString::fromUtf8(spec.tooltip)
                                            : action->text().remove('&'));
    const QIcon icon = ToolbarIcon(spec.icon, spec.glyph);
    button->setIcon(icon);
    // The menu item shows the same icon as its button.
    action->setIcon(icon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(18, 18));
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(action->isEnabled());
    // Each button only runs its menu command, and follows its enabled state.
    connect(button, &QToolButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button,
            [button, action] { button->setEnabled(action->isEnabled()); });
    row->addWidget(button);
    if (spec.separator_after) {
      auto* line = new QFrame(toolbar_);
      line->setFrameShape(QFrame::VLine);
      line->setFrameShadow(QFrame::Sunken);
      row->addSpacing(4);
      row->addWidget(line);
      row->addSpacing(4);
    }
  }
  row->addStretch(1);
}

void MainWindow::ApplyStartupSettings(const settings::StartupSettings& s) {
  ApplyGeometry(s.geometry);
  SetOnTop(s.on_top);
  SetToolbarShown(s.toolbar_shown);
  ApplyEditorSettings(s);
}

void MainWindow::ApplyPreferences(const settings::StartupSettings& s) {
  SetToolbarShown(s.toolbar_shown);
  ApplyEditorSettings(s);
}

void MainWindow::ApplyGeometry(const settings::Geometry& g) {
  const double dpi = Dpi();
  auto px = [dpi](std::int32_t twips) {
    return static_cast<int>(std::lround(settings::TwipsToPixels(twips, dpi)));
  };
  // Stored values are outer sizes, frame included, and may be anything: the window is kept
  // within the free area of a screen, at most as large as it, and one stored wholly off every
  // screen comes back onto one. A size that would be zero or negative is never applied.
  const QSize frame_extra = frameGeometry().size() - size();
  QRect outer = frameGeometry();
  if (g.left) outer.moveLeft(px(*g.left));
  if (g.top) outer.moveTop(px(*g.top));
  if (g.width && px(*g.width) - frame_extra.width() > 0) outer.setWidth(px(*g.width));
  if (g.height && px(*g.height) - frame_extra.height() > 0) outer.setHeight(px(*g.height));
  // The size first, to the screen it is stored on (else the main screen), so that a huge
  // stored size does not reach onto a screen from far away.
  const QScreen* screen = QGuiApplication::screenAt(outer.topLeft());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) outer.setSize(outer.size().boundedTo(screen->availableGeometry().size()));
  bool on_a_screen = false;
  for (const QScreen* candidate : QGuiApplication::screens()) {
    on_a_screen = on_a_screen || candidate->availableGeometry().intersects(outer);
  }
  if (!on_a_screen && screen != nullptr) outer.moveTopLeft(screen->availableGeometry().topLeft());
  resize(outer.size() - frame_extra);
  if (g.left || g.top || !on_a_screen) move(outer.topLeft());
  // Before the window is shown its frame is unknown; the size is applied again once the
  // window manager has framed it (see event()).
  if ((g.width || g.height) && !isVisible()) pending_geometry_ = g;
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  switch (event->type()) {
    case QEvent::Show:
      // Without a window manager, or with one that frames nothing, the size stays as it is;
      // stop waiting then, so that no later move resizes the window.
      if (pending_geometry_) {
        QTimer::singleShot(kFrameWaitMs, this, [this] { pending_geometry_.reset(); });
      }
      break;
    case QEvent::Paint:
      // The first paint comes once the window is mapped and placed.
      if (!first_shown_ && isVisible()) {
        first_shown_ = true;
        QTimer::singleShot(0, this, [this] {
          emit FirstShown();
          PrimeKeys();
        });
      }
      break;
    case QEvent::WindowActivate:
      PrimeKeys();
      [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Expose:
      if (pending_geometry_ && isVisible() && frameGeometry().size() != size()) {
        const settings::Geometry g = *pending_geometry_;
        pending_geometry_.reset();
        ApplyGeometry(g);
      }
      break;
    default:
      break;
  }
  return handled;
}

void MainWindow::PrimeKeys() {
  // Once the window is on the screen with the keyboard on a field that takes typing, the
  // keyboard input is readied, so that work done at the first key does not hold up the
  // user's first key.
  if (keys_primed_ || !first_shown_ || !isActiveWindow()) return;
  QObject* focus = QGuiApplication::focusObject();
  if (focus == nullptr) return;
  QInputMethodQueryEvent query(Qt::ImEnabled);
  QCoreApplication::sendEvent(focus, &query);
  if (!query.value(Qt::ImEnabled).toBool()) return;
  keys_primed_ = true;
  disconnect(focus_watch_);
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    QTimer::singleShot(0, this, [this] { platform::PrimeKeyInput(winId()); });
  }
}

void MainWindow::StoreGeometry() {
  const double dpi = Dpi();
  const QRect outer = frameGeometry();
  settings::StoreGeometry(settings_, settings::PixelsToTwips(outer.width(), dpi),
                          settings::PixelsToTwips(outer.height(), dpi),
                          settings::PixelsToTwips(outer.x(), dpi),
                          settings::PixelsToTwips(outer.y(), dpi));
}

void MainWindow::SetOnTop(bool on) {
  Action("OnTop")->setChecked(on);
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
  const bool was_visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  // Changing a window flag hides a visible window; show it again where it was.
  if (was_visible) show();
}

bool MainWindow::on_top() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void MainWindow::SetToolbarShown(bool shown) {
  toolbar_->setVisible(shown);
  Action("Hide_toolbar")->setText(shown ? "Hide Toolbar" : "Show Toolbar");
}

bool MainWindow::toolbar_shown() const { return !toolbar_->isHidden(); }

void MainWindow::ApplyEditorSettings(const settings::StartupSettings& s) {
  QString family = QString::fromStdString(s.font_name);
  // Without the default face, the desktop's fixed-width font keeps the code lined up; a face
  // the user chose stays as chosen.
  if (family.compare(QString::fromUtf8(settings::kDefaultFont.data(),
                                       static_cast<qsizetype>(settings::kDefaultFont.size())),
                     Qt::CaseInsensitive) == 0 &&
      !QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
    family = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  }
  QFont font(family);
  font.setPointSizeF(s.font_size);
  font.setBold(s.bold);
  font.setItalic(s.italic);
  font.setUnderline(s.underline);
  font.setStrikeOut(s.strikethru);
  QColor back = palette().color(QPalette::Base), fore = palette().color(QPalette::Text);
  if (s.back_color) {
    if (auto c = ColorFromStored(*s.back_color)) back = *c;
  }
  if (s.fore_color) {
    if (auto c = ColorFromStored(*s.fore_color)) fore = *c;
  }
  editor_->SetLook(font, back, fore);
}

void MainWindow::ExitClick() { close(); }

void MainWindow::OnTopClick() {
  // The action has already toggled its check mark; the stored value and the window follow.
  const bool on = Action("OnTop")->isChecked();
  settings::StoreOnTop(settings_, on);
  SetOnTop(on);
}

void MainWindow::HideToolbarClick() {
  const bool show = !toolbar_shown();
  SetToolbarShown(show);
  settings::StoreToolbar(settings_, show);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (close_guard_ && !close_guard_()) {
    event->ignore();
    return;
  }
  StoreGeometry();
  event->accept();
  emit Closed();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && event->type() == QEvent::ShortcutOverride) {
    // The editor claims some keys of its own (Ctrl+A selects all, Ctrl+Y redoes); the menu
    // commands bound to them come first.
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const auto& [name, action] : actions_.actions()) {
      if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
        event->ignore();
        return true;
      }
    }
  }
  if (watched == toolbar_ && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) {
      Menu("toolbar")->popup(mouse->globalPosition().toPoint());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace quillan::gui
