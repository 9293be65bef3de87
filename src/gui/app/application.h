#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "codegen/insert_declarations.h"
#include "document/document.h"
#include "document/document_commands.h"
#include "document/file_ports.h"
#include "document/recovery.h"
#include "gui/commands/recovery_commands.h"
#include "gui/widgets/port_sources.h"
#include "platform/shell_integration.h"
#include "settings/settings_store.h"
#include "ui/clock.h"
#include "ui/messenger.h"
#include "ui/prompter.h"
#include "wintools/pick_highlight.h"
#include "wintools/window_system.h"

namespace quillan::gui {

class CodegenCommands;
class DialogCommands;
class EditCommands;
class EditorBuffer;
class FileCommands;
class MainWindow;
class QtSettingsStore;
class RecoveryKeeper;
class StartupMessenger;
class ToolWindows;
class WindowActionCommands;
class WindowTools;

/// The ports the program works through. Any left null is made by the composition root with
/// its real implementation; tests pass recorders, in-memory stores and fakes.
struct Ports {
  settings::SettingsStore* settings = nullptr;
  ui::Messenger* messenger = nullptr;  ///< when set, the messages of every window go here
  ui::Prompter* prompter = nullptr;
  document::FileChooser* chooser = nullptr;  ///< when set, every window's file dialogs
  document::FileStore* files = nullptr;
  ui::Clock* clock = nullptr;
  ui::EventPump* pump = nullptr;
  wintools::WindowSystem* windows = nullptr;  ///< null: chosen for the session
  /// The outline around the window under a picking arrow. Null: the session's when the window
  /// system is chosen for the session too, else none (a test's windows are not on a screen).
  wintools::PickHighlight* highlight = nullptr;
  platform::ShellIntegration* shell = nullptr;
  document::RecoveryStore* recovery = nullptr;
  RecoveryCommands::RestoreElsewhere restore_elsewhere;  ///< null: a new Quillan process
};

/// What start-up needs from outside the settings store.
struct StartupOptions {
  QString program_path;                 ///< the program's full path, for "dir"/"path"
  std::optional<QString> project_path;  ///< the first command-line argument, if any
  int ignored_arguments = 0;            ///< how many arguments followed it
  /// Set in a window started to restore this left copy of unsaved work; it offers no others.
  std::optional<std::string> restore_id = std::nullopt;
};

/// The environment variable that hands a new Quillan window the copy it restores.
inline constexpr const char* kRestoreVariable = "QUILLAN_RESTORE";

/// The composition root: creates every port once, the main window with its editor buffer,
/// the shared "Insert Declarations with code." option, the owner of the windows beside the
/// main window and the features, and hands each feature only what it uses.
class Application {
 public:
  explicit Application(Ports ports = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  /// The start-up sequence: title, geometry, on-top state, editor font, toolbar, colours,
  /// styles, the program's location, then the project named on the command line (or, with
  /// none, the registration of the project file type). When more arguments followed the
  /// project, a message says once that only the first was opened. The messages of start-up
  /// wait until the main window is on the screen, so that they stand above it; then the
  /// unsaved work that Quillans which died left behind is offered.
  void Startup(const StartupOptions& options);

  /// Ends the program in its own time when the session asks it to end (a logout, `kill`):
  /// the unsaved work is kept in its recovery copy, and nothing is asked.
  void EndOnSessionRequests();

  MainWindow* main_window() { return window_.get(); }
  EditorBuffer& buffer() { return *buffer_; }
  document::Document& doc();
  document::DocumentContext context();
  codegen::InsertDeclarations& insert_declarations() { return *declarations_; }
  ToolWindows& tool_windows() { return *tools_; }
  WindowActionCommands& window_actions() { return *window_actions_; }
  RecoveryKeeper& recovery_keeper() { return recovery_commands_->keeper(); }

  /// The messenger whose boxes stand above `window`.
  ui::Messenger& MessengerFor(QWidget& window);
  /// MessengerFor as a function for the features.
  MessengerSource messengers();
  /// The file dialogs that stand above `window`.
  document::FileChooser& ChooserFor(QWidget& window);
  ChooserSource choosers();

  /// Makes a user-supplied path usable: surrounding double quotes removed, made absolute.
  static QString NormalizeArgument(const QString& argument);

 private:
  void EndBySession(int signal_number);

  // Ports made here when the caller gave none; the pointers below point at these or at
  // the caller's.
  std::unique_ptr<QtSettingsStore> own_settings_;
  std::unique_ptr<ui::Prompter> own_prompter_;
  std::unique_ptr<document::FileStore> own_files_;
  std::unique_ptr<ui::Clock> own_clock_;
  std::unique_ptr<ui::EventPump> own_pump_;
  std::unique_ptr<wintools::WindowSystem> own_windows_;
  std::unique_ptr<wintools::PickHighlight> own_highlight_;
  std::unique_ptr<platform::ShellIntegration> own_shell_;
  std::unique_ptr<document::RecoveryStore> own_recovery_;
  std::map<QWidget*, std::unique_ptr<ui::Messenger>> messengers_;
  std::map<QWidget*, std::unique_ptr<document::FileChooser>> choosers_;
  // Start-up's messages until the main window is shown; null afterwards.
  std::unique_ptr<StartupMessenger> startup_messenger_;

  settings::SettingsStore* settings_;
  ui::Messenger* given_messenger_;
  document::FileChooser* given_chooser_;
  ui::Prompter* prompter_ = nullptr;
  document::FileStore* files_;
  ui::Clock* clock_;
  ui::EventPump* pump_;
  wintools::WindowSystem* windows_ = nullptr;
  wintools::PickHighlight* highlight_ = nullptr;
  platform::ShellIntegration* shell_;
  document::RecoveryStore* recovery_;

  // Destroyed in reverse order: the features and tool windows before the main window, the
  // main window before the option its windows show.
  std::unique_ptr<codegen::InsertDeclarations> declarations_;
  std::unique_ptr<MainWindow> window_;
  EditorBuffer* buffer_ = nullptr;  // owned by the editor widget
  std::unique_ptr<ToolWindows> tools_;
  std::unique_ptr<FileCommands> file_commands_;
  std::unique_ptr<RecoveryCommands> recovery_commands_;
  std::unique_ptr<EditCommands> edit_commands_;
  std::unique_ptr<WindowActionCommands> window_actions_;
  std::unique_ptr<CodegenCommands> codegen_commands_;
  std::unique_ptr<WindowTools> window_tools_;
  std::unique_ptr<DialogCommands> dialog_commands_;
};

}  // namespace quillan::gui
