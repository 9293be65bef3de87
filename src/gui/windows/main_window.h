#pragma once

#include <QMainWindow>
#include <functional>
#include <optional>

#include "gui/widgets/action_table.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"

class QFrame;
class QLabel;

namespace quillan::gui {

class CodeEditor;

/// `frmMain`: the editor `txtCode`, the toolbar `Frame1`, the menu tree, the layout, Stay On
/// Top and the closing rules. The commands behind the menu items are features of their own,
/// which find the items through `actions()`.
class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(settings::SettingsStore& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// Start-up steps 2 to 9: the stored geometry, the on-top state, the toolbar, the editor's
  /// font, colours and styles.
  void ApplyStartupSettings(const settings::StartupSettings& s);

  const ActionTable& actions() const { return actions_; }
  /// Shorthands for actions().Action and actions().Menu.
  QAction* Action(const QString& name) const { return actions_.Action(name); }
  QMenu* Menu(const QString& name) const { return actions_.Menu(name); }

  CodeEditor* editor() const { return editor_; }
  /// The title, and the status bar's encoding and modified fields.
  void ShowDocumentState(const QString& title, const QString& encoding, bool modified);
  QFrame* toolbar_frame() const { return toolbar_; }
  bool toolbar_shown() const;
  bool on_top() const;

  /// Asked before the window closes; false keeps it open (the discard question).
  void SetCloseGuard(std::function<bool()> guard) { close_guard_ = std::move(guard); }

  /// What the Preferences' OK applies: the editor's font, colours and styles, and the toolbar.
  void ApplyPreferences(const settings::StartupSettings& s);

  /// Stores the outer geometry in twips under "size".
  void StoreGeometry();

 signals:
  /// The window is on the screen for the first time, placed by the window manager.
  void FirstShown();
  /// The window really closed: the program ends.
  void Closed();

 public slots:
  void ExitClick();
  void OnTopClick();
  void HideToolbarClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void PrimeKeys();
  void BuildMenus();
  void BuildToolbar();
  void ApplyGeometry(const settings::Geometry& geometry);
  void SetOnTop(bool on);
  void SetToolbarShown(bool shown);
  void ApplyEditorSettings(const settings::StartupSettings& s);
  void BuildStatusBar();
  void ShowPosition();
  double Dpi() const;

  settings::SettingsStore& settings_;
  CodeEditor* editor_ = nullptr;
  QLabel* position_ = nullptr;
  QLabel* encoding_ = nullptr;
  QLabel* line_ends_ = nullptr;
  QLabel* modified_ = nullptr;
  QFrame* toolbar_ = nullptr;
  ActionTable actions_;
  std::function<bool()> close_guard_;
  // The stored outer size, applied once the window manager's frame is known.
  std::optional<settings::Geometry> pending_geometry_;
  bool first_shown_ = false;
  bool keys_primed_ = false;
  QMetaObject::Connection focus_watch_;
};

}  // namespace quillan::gui
