#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "document/document.h"
#include "document/document_commands.h"
#include "gui/editor_buffer.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "ui/messenger.h"
#include "ui/prompter.h"
#include "wintools/window_system.h"

class QFrame;
class QMenu;
class QPlainTextEdit;
class QToolButton;

namespace quillan::gui {

/// The ports the main window works through. Any left null gets its Qt implementation; tests
/// pass recorders and in-memory stores.
struct MainWindowPorts {
  settings::SettingsStore* settings = nullptr;
  ui::Messenger* messenger = nullptr;
  ui::Prompter* prompter = nullptr;
  document::FileChooser* chooser = nullptr;
  document::FileStore* files = nullptr;
  wintools::WindowSystem* windows = nullptr;
};

/// What start-up needs from outside the settings store.
struct StartupOptions {
  QString program_path;                 ///< the program's full path, for "dir"/"path"
  std::optional<QString> project_path;  ///< the command-line argument, if any
};

/// `frmMain`: the editor `txtCode`, the toolbar `Frame1`, the menu tree, start-up and the
/// document commands.
class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(MainWindowPorts ports = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// The start-up sequence: title, geometry, on-top state, editor font, toolbar, colours,
  /// styles, the program's location, then the project named on the command line.
  void Startup(const StartupOptions& options);

  /// The menu action or submenu action with this objectName; nullptr if none.
  QAction* Action(const QString& name) const;
  /// The menu with this objectName ("Files", "Code_Insert", "toolbar", ...); nullptr if none.
  QMenu* Menu(const QString& name) const;

  QPlainTextEdit* editor() const { return editor_; }
  QFrame* toolbar_frame() const { return toolbar_; }
  EditorBuffer& buffer() { return *buffer_; }
  document::Document& doc() { return doc_; }
  settings::SettingsStore& settings_store() { return *settings_; }
  ui::Messenger& messenger() { return *messenger_; }
  ui::Prompter& prompter() { return *prompter_; }
  wintools::WindowSystem& window_system() { return *windows_; }
  document::DocumentContext context();

  bool toolbar_shown() const;
  bool on_top() const;

  /// Stores the outer geometry in twips under "size".
  void StoreGeometry();

  /// Makes a user-supplied path usable: surrounding double quotes removed, made absolute.
  static QString NormalizeArgument(const QString& argument);

 signals:
  /// The window really closed: the program ends.
  void Closed();

 public slots:
  void NewClick();
  void OpenClick();
  void SaveClick();
  void SaveAsClick();
  void ExitClick();
  void OnTopClick();
  void HideToolbarClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolbar();
  void ConnectCommands();
  void ApplyGeometry(const settings::Geometry& geometry);
  void SetOnTop(bool on);
  void SetToolbarShown(bool shown);
  void ApplyEditorSettings(const settings::StartupSettings& s);
  void ReflectDocument();
  double Dpi() const;

  std::unique_ptr<settings::SettingsStore> own_settings_;
  std::unique_ptr<ui::Messenger> own_messenger_;
  std::unique_ptr<ui::Prompter> own_prompter_;
  std::unique_ptr<document::FileChooser> own_chooser_;
  std::unique_ptr<document::FileStore> own_files_;
  std::unique_ptr<wintools::WindowSystem> own_windows_;

  settings::SettingsStore* settings_;
  ui::Messenger* messenger_;
  ui::Prompter* prompter_;
  document::FileChooser* chooser_;
  document::FileStore* files_;
  wintools::WindowSystem* windows_;

  document::Document doc_;
  QPlainTextEdit* editor_ = nullptr;
  EditorBuffer* buffer_ = nullptr;
  QFrame* toolbar_ = nullptr;
  std::map<QString, QAction*> actions_;
  std::map<QString, QMenu*> menus_;
  std::optional<settings::Geometry> pending_geometry_;
  bool closing_confirmed_ = false;
  bool first_paint_reported_ = false;
};

}  // namespace quillan::gui
