#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <ctime>
#include <vector>

#include "gui/codegen_commands.h"
#include "gui/colors.h"
#include "gui/edit_commands.h"
#include "gui/icons.h"
#include "gui/menu_table.h"
#include "gui/qt_convert.h"
#include "gui/qt_ports.h"
#include "gui/shell_integration.h"
#include "gui/window_action_commands.h"
#include "platform/none_window_system.h"
#include "settings/settings_table.h"

namespace quillan::gui {

namespace {

// The design client area of the main window, in twips.
constexpr int kDesignClientWidth = 6285;
constexpr int kDesignClientHeight = 4065;
constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;

template <typename T, typename Own>
T* PortOr(T* given, std::unique_ptr<Own>& own, auto make) {
  if (given) return given;
  own = make();
  return own.get();
}

}  // namespace

MainWindow::MainWindow(MainWindowPorts ports, QWidget* parent)
    : QMainWindow(parent),
      settings_(PortOr<settings::SettingsStore>(
          ports.settings, own_settings_, [] { return std::make_unique<QtSettingsStore>(); })),
      messenger_(PortOr<ui::Messenger>(ports.messenger, own_messenger_,
                                         [this] { return std::make_unique<QtMessenger>(this); })),
      prompter_(PortOr<ui::Prompter>(ports.prompter, own_prompter_,
                                       [this] { return std::make_unique<QtPrompter>(this); })),
      chooser_(PortOr<document::FileChooser>(
          ports.chooser, own_chooser_, [this] { return std::make_unique<QtFileChooser>(this); })),
      files_(PortOr<document::FileStore>(ports.files, own_files_,
                                         [] { return std::make_unique<QtFileStore>(); })),
      windows_(PortOr<wintools::WindowSystem>(ports.windows, own_windows_, [] {
        return std::make_unique<platform::NoneWindowSystem>(
            u"Quillan cannot read other programs' windows in this session.");
      })) {
  setObjectName("frmMain");
  setWindowTitle("Quillan");
  setWindowIcon(AppIcon());
  QFont window_font("Tahoma");
  window_font.setPointSizeF(8.25);
  Q_UNUSED(window_font);

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

  editor_ = new QPlainTextEdit(central);
  editor_->setObjectName("txtCode");
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  editor_->setTabChangesFocus(false);
  layout->addWidget(editor_, 1);
  editor_->installEventFilter(this);
  setCentralWidget(central);

  buffer_ = new EditorBuffer(editor_);
  // Adding the rest of a project that is still loading is no change of the user's.
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
    if (!buffer_->loading()) doc_.TextChanged();
  });
  doc_.SetListener([this] { ReflectDocument(); });

  BuildMenus();
  BuildToolbar();
  ConnectCommands();
  InstallCodegenCommands(*this);
  InstallWindowActionCommands(*this);

  const double dpi = Dpi();
  resize(static_cast<int>(settings::TwipsToPixels(kDesignClientWidth, dpi)),
         static_cast<int>(settings::TwipsToPixels(kDesignClientHeight, dpi)));
  ReflectDocument();
}

MainWindow::~MainWindow() = default;

double MainWindow::Dpi() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const double dpi = s ? s->logicalDotsPerInch() : 96.0;
  return dpi > 0 ? dpi : 96.0;
}

document::DocumentContext MainWindow::context() {
  return document::DocumentContext{*buffer_, doc_, *messenger_, *chooser_, *files_};
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
      menus_[row.name] = menu;
      actions_[row.name] = menu->menuAction();
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
    // Every command sees the whole text, even while a large project is still loading.
    connect(action, &QAction::triggered, buffer_, &EditorBuffer::CompleteLoad);
    actions_[row.name] = action;
  }
}

void MainWindow::BuildToolbar() {
  auto* row = new QHBoxLayout(toolbar_);
  row->setContentsMargins(3, 2, 3, 2);
  row->setSpacing(1);
  for (const ToolbarButton& spec : ToolbarButtons()) {
    QAction* action = Action(spec.action);
    auto* button = new QToolButton(toolbar_);
    button->setObjectName(spec.name);
    button->setToolTip(QString::fromUtf8(spec.tooltip));
    button->setIcon(ToolbarIcon(spec.theme_icon, spec.glyph));
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

void MainWindow::ConnectCommands() {
  connect(Action("New"), &QAction::triggered, this, &MainWindow::NewClick);
  connect(Action("Open"), &QAction::triggered, this, &MainWindow::OpenClick);
  connect(Action("Save"), &QAction::triggered, this, &MainWindow::SaveClick);
  connect(Action("Save_As"), &QAction::triggered, this, &MainWindow::SaveAsClick);
  connect(Action("Exit"), &QAction::triggered, this, &MainWindow::ExitClick);
  connect(Action("OnTop"), &QAction::triggered, this, &MainWindow::OnTopClick);
  connect(Action("Hide_toolbar"), &QAction::triggered, this, &MainWindow::HideToolbarClick);
  new EditCommands(*this);
  ConnectWebSites(*this);
}

QAction* MainWindow::Action(const QString& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* MainWindow::Menu(const QString& name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

void MainWindow::Startup(const StartupOptions& options) {
  // 1. The untitled title.
  doc_.SetTitle(document::UntitledTitle());
  const settings::StartupSettings s = settings::ReadStartupSettings(*settings_);
  // 2. Stored outer size and position.
  ApplyGeometry(s.geometry);
  // 3. On top, checked, for a fresh installation.
  SetOnTop(s.on_top);
  // 4-9. The editor's font, toolbar, colours and styles.
  SetToolbarShown(s.toolbar_shown);
  ApplyEditorSettings(s);
  // 10. Where the program lives.
  settings_->Set(
      settings::section::kDir, settings::key::kPath,
      settings::ProgramPathValue(options.program_path.toStdString(), kVersionMajor, kVersionMinor));
  // 11. The project named on the command line.
  if (options.project_path && !options.project_path->isEmpty()) {
    auto ctx = context();
    document::LoadProject(ctx, ToU16(NormalizeArgument(*options.project_path)));
  } else {
    // Without one, the project file type is registered for this user instead.
    RegisterFileTypeForUser(options.program_path);
  }
}

QString MainWindow::NormalizeArgument(const QString& argument) {
  QString path = argument;
  if (path.size() >= 2 && path.startsWith('"') && path.endsWith('"')) {
    path = path.mid(1, path.size() - 2);
  }
  if (path.isEmpty()) return path;
  return QFileInfo(path).absoluteFilePath();
}

void MainWindow::ApplyGeometry(const settings::Geometry& g) {
  const double dpi = Dpi();
  auto px = [dpi](std::int32_t twips) {
    return static_cast<int>(std::lround(settings::TwipsToPixels(twips, dpi)));
  };
  // Stored values are outer sizes; a size that would be zero or negative is never applied.
  const QSize frame_extra = frameGeometry().size() - size();
  QSize client = size();
  if (g.width && px(*g.width) - frame_extra.width() > 0) {
    client.setWidth(px(*g.width) - frame_extra.width());
  }
  if (g.height && px(*g.height) - frame_extra.height() > 0) {
    client.setHeight(px(*g.height) - frame_extra.height());
  }
  resize(client);
  QPoint pos = frameGeometry().topLeft();
  if (g.left) pos.setX(px(*g.left));
  if (g.top) pos.setY(px(*g.top));
  if (g.left || g.top) move(pos);
  // The frame's size is known only once the window is shown; apply the size again then.
  if ((g.width || g.height) && !isVisible()) pending_geometry_ = g;
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (pending_geometry_) {
    const settings::Geometry g = *pending_geometry_;
    pending_geometry_.reset();
    QTimer::singleShot(0, this, [this, g] {
      if (frameGeometry().size() != size()) ApplyGeometry(g);
    });
  }
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QMainWindow::paintEvent(event);
  if (first_paint_reported_) return;
  first_paint_reported_ = true;
  // Start-up timing for bench/startup.sh: the launcher passes its clock reading in
  // QUILLAN_BENCH_T0 (nanoseconds, CLOCK_REALTIME); we print the time to the first paint.
  const QByteArray t0 = qgetenv("QUILLAN_BENCH_T0");
  if (t0.isEmpty()) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const double now_ns = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
  std::printf("first-paint-ms %.1f\n", (now_ns - t0.toDouble()) / 1e6);
  std::fflush(stdout);
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::StoreGeometry() {
  const double dpi = Dpi();
  const QRect outer = frameGeometry();
  settings::StoreGeometry(*settings_, settings::PixelsToTwips(outer.width(), dpi),
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
  QFont font(QString::fromStdString(s.font_name));
  font.setPointSizeF(s.font_size);
  font.setBold(s.bold);
  font.setItalic(s.italic);
  font.setUnderline(s.underline);
  font.setStrikeOut(s.strikethru);
  editor_->setFont(font);
  QPalette palette = editor_->palette();
  if (s.back_color) {
    if (auto c = ColorFromStored(*s.back_color)) palette.setColor(QPalette::Base, *c);
  }
  if (s.fore_color) {
    if (auto c = ColorFromStored(*s.fore_color)) palette.setColor(QPalette::Text, *c);
  }
  editor_->setPalette(palette);
}

void MainWindow::ReflectDocument() { setWindowTitle(ToQString(doc_.title())); }

void MainWindow::NewClick() {
  auto ctx = context();
  document::New(ctx);
}

void MainWindow::OpenClick() {
  auto ctx = context();
  document::Open(ctx);
}

void MainWindow::SaveClick() {
  auto ctx = context();
  document::Save(ctx);
}

void MainWindow::SaveAsClick() {
  auto ctx = context();
  document::SaveAs(ctx);
}

void MainWindow::ExitClick() { close(); }

void MainWindow::OnTopClick() {
  // The action has already toggled its check mark; the stored value and the window follow.
  const bool on = Action("OnTop")->isChecked();
  settings::StoreOnTop(*settings_, on);
  SetOnTop(on);
}

void MainWindow::HideToolbarClick() {
  const bool hide = Action("Hide_toolbar")->text() == "Hide Toolbar";
  SetToolbarShown(!hide);
  settings::StoreToolbar(*settings_, !hide);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_confirmed_ && !document::ConfirmDiscardChanges(doc_, *messenger_)) {
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
    for (const auto& [name, action] : actions_) {
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
