#include "gui/app/application.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSocketNotifier>

#include "gui/app/desktop_shell.h"
#include "gui/app/qt_ports.h"
#include "gui/app/startup_messenger.h"
#include "gui/commands/codegen_commands.h"
#include "gui/commands/dialog_commands.h"
#include "gui/commands/edit_commands.h"
#include "gui/commands/file_commands.h"
#include "gui/commands/window_action_commands.h"
#include "gui/commands/window_tools.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "gui/windows/tool_windows.h"
#include "platform/host.h"
#include "platform/window_system_choice.h"
#include "quillan_version.h"
#include "settings/settings_table.h"

namespace quillan::gui {

namespace {

template <typename T, typename Own>
T* PortOr(T* given, std::unique_ptr<Own>& own, auto make) {
  if (given != nullptr) return given;
  own = make();
  return own.get();
}

// The port the caller gave, else the Qt one of `window`: one a window, made on first use; a
// window made where a destroyed one stood gets one of its own.
template <typename Made, typename Port>
Port& OwnFor(Port* given, std::map<QWidget*, std::unique_ptr<Port>>& made, QWidget& window) {
  if (given != nullptr) return *given;
  std::unique_ptr<Port>& port = made[&window];
  auto* qt = static_cast<Made*>(port.get());
  if (qt == nullptr || qt->parent() != &window) port = std::make_unique<Made>(&window);
  return *port;
}

// Starts a new Quillan that restores the left copy `id` in its window.
bool StartRestoringWindow(const std::string& id) {
  QProcess process;
  process.setProgram(QCoreApplication::applicationFilePath());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(kRestoreVariable, QString::fromStdString(id));
  process.setProcessEnvironment(environment);
  return process.startDetached();
}

}  // namespace

Application::Application(Ports ports)
    : settings_(PortOr(ports.settings, own_settings_,
                       [] { return std::make_unique<QtSettingsStore>(); })),
      given_messenger_(ports.messenger),
      given_chooser_(ports.chooser),
      files_(PortOr(ports.files, own_files_, [] { return platform::MakeFileStore(); })),
      clock_(PortOr(ports.clock, own_clock_, [] { return std::make_unique<QtClock>(); })),
      pump_(PortOr(ports.pump, own_pump_, [] { return std::make_unique<QtEventPump>(); })),
      shell_(PortOr(ports.shell, own_shell_, [] { return MakeDesktopShell(); })),
      recovery_(
          PortOr(ports.recovery, own_recovery_, [] { return platform::MakeRecoveryStore(); })),
      declarations_(std::make_unique<codegen::InsertDeclarations>(*settings_)),
      window_(std::make_unique<MainWindow>(*settings_)) {
  if (ports.windows != nullptr) {
    windows_ = ports.windows;
  } else {
    // A backend that cannot see the session's windows says why through CannotDo.
    const auto session = platform::SessionEnvironment::FromProcess();
    own_windows_ = platform::ChooseWindowSystem(session, platform::BuiltInBackends()).backend;
    windows_ = own_windows_.get();
    if (ports.highlight == nullptr) own_highlight_ = platform::MakePickHighlight(session);
  }
  if (ports.highlight != nullptr) {
    highlight_ = ports.highlight;
  } else {
    if (!own_highlight_) own_highlight_ = std::make_unique<wintools::NoPickHighlight>();
    highlight_ = own_highlight_.get();
  }
  // The input box belongs to the main window.
  prompter_ = PortOr(ports.prompter, own_prompter_,
                     [this] { return std::make_unique<QtPrompter>(window_.get()); });

  CodeEditor& editor = *window_->editor();
  buffer_ = new EditorBuffer(&editor);
  const ActionTable& actions = window_->actions();
  tools_ = std::make_unique<ToolWindows>(*window_, *settings_);
  // The tool windows still open close with the main window: their places are kept too.
  QObject::connect(window_.get(), &MainWindow::Closed, tools_.get(), &ToolWindows::RememberPlaces);

  file_commands_ = std::make_unique<FileCommands>(actions, editor, *buffer_, *files_, *window_,
                                                  messengers(), choosers());
  QObject::connect(file_commands_.get(), &FileCommands::StateChanged, window_.get(),
                   &MainWindow::ShowDocumentState);
  file_commands_->AnnounceState();
  window_->SetCloseGuard([this] { return file_commands_->MayClose(); });
  recovery_commands_ = std::make_unique<RecoveryCommands>(
      *file_commands_, editor, *recovery_,
      ports.restore_elsewhere ? std::move(ports.restore_elsewhere) : StartRestoringWindow, *window_,
      messengers());
  // Closed for good, with the work saved or its discarding confirmed: no copy is kept.
  QObject::connect(window_.get(), &MainWindow::Closed, recovery_commands_.get(),
                   [this] { recovery_commands_->keeper().EndSession(); });

  edit_commands_ = std::make_unique<EditCommands>(actions, editor, *buffer_, *tools_, messengers());
  window_actions_ =
      std::make_unique<WindowActionCommands>(actions, *buffer_, editor, *declarations_, *tools_,
                                             messengers(), codegen::PausePorts{*clock_, *pump_});
  codegen_commands_ = std::make_unique<CodegenCommands>(actions, *buffer_, editor, *prompter_,
                                                        *declarations_, *window_actions_);
  window_tools_ = std::make_unique<WindowTools>(actions, *tools_, *windows_, *highlight_, *buffer_,
                                                editor, *declarations_, messengers());
  dialog_commands_ = std::make_unique<DialogCommands>(
      actions, *tools_, *window_, *settings_, *files_, *shell_,
      [this](const settings::StartupSettings& s) { window_->ApplyPreferences(s); }, choosers(),
      messengers());
}

Application::~Application() {
  // Reports would stand above windows that are going.
  if (own_settings_) own_settings_->OnProblem({});
}

document::Document& Application::doc() { return file_commands_->doc(); }

document::DocumentContext Application::context() { return file_commands_->Context(); }

ui::Messenger& Application::MessengerFor(QWidget& window) {
  return OwnFor<QtMessenger>(given_messenger_, messengers_, window);
}

MessengerSource Application::messengers() {
  return [this](QWidget& window) -> ui::Messenger& { return MessengerFor(window); };
}

document::FileChooser& Application::ChooserFor(QWidget& window) {
  return OwnFor<QtFileChooser>(given_chooser_, choosers_, window);
}

ChooserSource Application::choosers() {
  return [this](QWidget& window) -> document::FileChooser& { return ChooserFor(window); };
}

void Application::Startup(const StartupOptions& options) {
  startup_messenger_ = std::make_unique<StartupMessenger>(
      [this]() -> ui::Messenger& { return MessengerFor(*window_); });
  // Without a project, the project file type is registered for this user, once the window
  // is on the screen: drawing the icons and writing the files need not hold up its first
  // paint.
  const bool with_project = options.project_path && !options.project_path->isEmpty();
  std::u16string register_as;
  if (!with_project) register_as = ToU16(QDir::toNativeSeparators(options.program_path));
  QObject::connect(window_.get(), &MainWindow::FirstShown, window_.get(),
                   [this, restore_id = options.restore_id, register_as] {
                     if (!register_as.empty()) shell_->RegisterProjectType(register_as);
                     std::unique_ptr<StartupMessenger> held = std::move(startup_messenger_);
                     if (held) held->Flush();
                     recovery_commands_->Offer(restore_id);
                   });
  // A settings file that cannot be read or kept is reported once, above the main window.
  if (own_settings_) {
    own_settings_->OnProblem([this](const QString& message) {
      ui::Messenger& messenger = startup_messenger_ ? *startup_messenger_ : MessengerFor(*window_);
      messenger.Show(ToU16(message), ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
    });
  }
  // 1. The untitled title.
  doc().SetTitle(document::UntitledTitle());
  // 2-9. Stored outer size and position, on top, the editor's font, toolbar, colours, styles.
  window_->ApplyStartupSettings(settings::ReadStartupSettings(*settings_));
  // 10. Where the program lives.
  settings_->Set(
      settings::section::kDir, settings::key::kPath,
      settings::ProgramPathValue(options.program_path.toStdString(), kVersionMajor, kVersionMinor));
  // 11. The project named on the command line.
  if (with_project) {
    const QString path = NormalizeArgument(*options.project_path);
    document::DocumentContext ctx = file_commands_->Context(*startup_messenger_);
    document::LoadProject(ctx, ToU16(path));
    if (options.ignored_arguments > 0) {
      ctx.messenger.Show(u"Quillan opens one project at a time, so only \"" + ToU16(path) +
                             u"\" was opened; the other names on the command line were left "
                             u"alone.",
                         ui::MessageIcon::kInformation, ui::MessageButtons::kOk);
    }
  }
}

void Application::EndOnSessionRequests() {
  const int descriptor = platform::WatchEndRequests();
  if (descriptor < 0) return;
  auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, window_.get());
  QObject::connect(notifier, &QSocketNotifier::activated, window_.get(), [this, descriptor] {
    if (const int signal_number = platform::TakeEndRequest(descriptor)) {
      EndBySession(signal_number);
    }
  });
}

void Application::EndBySession(int signal_number) {
  recovery_commands_->keeper().WriteNow();
  window_->StoreGeometry();
  tools_->RememberPlaces();
  // Every event loop ends, a dialog's too; the copy stays for the next start.
  QCoreApplication::exit(128 + signal_number);
}

QString Application::NormalizeArgument(const QString& argument) {
  QString path = argument;
  if (path.size() >= 2 && path.startsWith('"') && path.endsWith('"')) {
    path = path.mid(1, path.size() - 2);
  }
  if (path.isEmpty()) return path;
  // String work only: the name may hold bytes that are not UTF-8 (see native_path.h).
  if (!platform::IsAbsolutePath(ToU16(path))) {
    const std::u16string folder = platform::CurrentFolder();
    if (folder.empty()) return path;
    path = ToQString(folder) + '/' + path;
  }
  return QDir::toNativeSeparators(QDir::cleanPath(path));
}

}  // namespace quillan::gui
