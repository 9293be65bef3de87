#include "gui/app/application.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <cstring>
#include <functional>
#include <vector>

#include "document/doc_names.h"
#include "gui/app/desktop_shell.h"
#include "gui/app/qt_ports.h"
#include "gui/commands/codegen_commands.h"
#include "gui/commands/edit_commands.h"
#include "gui/commands/recovery_keeper.h"
#include "gui/commands/web_sites.h"
#include "gui/commands/window_action_commands.h"
#include "gui/commands/window_tools.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/about_dialog.h"
#include "gui/windows/help_window.h"
#include "gui/windows/icon_window.h"
#include "gui/windows/main_window.h"
#include "gui/windows/preferences_dialog.h"
#include "gui/windows/recovery_dialog.h"
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

// The File menu's document commands by their items' object names.
struct FileCommand {
  const char* action;
  void (*run)(document::DocumentContext& ctx);
};
constexpr FileCommand kFileCommands[] = {
    {"New", document::New},
    {"Open", document::Open},
    {"Save", document::Save},
    {"Save_As", document::SaveAs},
};

// Holds the notes of start-up (boxes with only an OK button) until the main window is on the
// screen; a question, which needs its answer at once, goes to the window's messenger.
class StartupMessenger final : public ui::Messenger {
 public:
  explicit StartupMessenger(std::function<ui::Messenger&()> target) : target_(std::move(target)) {}
  ui::MessageAnswer Show(std::u16string_view text, ui::MessageIcon icon, ui::MessageButtons buttons,
                         std::u16string_view title) override {
    if (buttons != ui::MessageButtons::kOk) return target_().Show(text, icon, buttons, title);
    held_.push_back({std::u16string(text), icon, std::u16string(title)});
    return ui::MessageAnswer::kOk;
  }
  void Flush() {
    for (const Held& m : held_) target_().Show(m.text, m.icon, ui::MessageButtons::kOk, m.title);
    held_.clear();
  }

 private:
  struct Held {
    std::u16string text;
    ui::MessageIcon icon;
    std::u16string title;
  };
  std::function<ui::Messenger&()> target_;
  std::vector<Held> held_;
};

// Starts a new Quillan that restores the left copy `id` in its window.
bool StartRestoringWindow(const std::string& id) {
  QProcess process;
  process.setProgram(QCoreApplication::applicationFilePath());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(kRestoreVariable, QString::fromStdString(id));
  process.setProcessEnvironment(environment);
  return process.startDetached();
}

// The row the recovery dialog shows for a copy.
RecoveryRow RowOf(const document::RecoveryCopy& copy, char16_t separator) {
  RecoveryRow row;
  row.name = copy.info.path.empty()
                 ? QString("Untitled")
                 : ToQString(document::FileNameFromPath(copy.info.path, separator));
  row.written =
      QLocale().toString(QDateTime::fromSecsSinceEpoch(copy.info.written_at), QLocale::ShortFormat);
  row.first_line = ToQString(document::FirstLineOf(copy.text, 80));
  return row;
}

}  // namespace

Application::Application(Ports ports)
    : settings_(PortOr(ports.settings, own_settings_,
                       [] { return std::make_unique<QtSettingsStore>(); })),
      given_messenger_(ports.messenger),
      files_(PortOr(ports.files, own_files_, [] { return platform::MakeFileStore(); })),
      clock_(PortOr(ports.clock, own_clock_, [] { return std::make_unique<QtClock>(); })),
      pump_(PortOr(ports.pump, own_pump_, [] { return std::make_unique<QtEventPump>(); })),
      shell_(PortOr(ports.shell, own_shell_, [] { return MakeDesktopShell(); })),
      recovery_(
          PortOr(ports.recovery, own_recovery_, [] { return platform::MakeRecoveryStore(); })),
      restore_elsewhere_(ports.restore_elsewhere ? std::move(ports.restore_elsewhere)
                                                 : StartRestoringWindow),
      declarations_(std::make_unique<codegen::InsertDeclarations>(*settings_)),
      window_(std::make_unique<MainWindow>(*settings_)) {
  if (ports.windows != nullptr) {
    windows_ = ports.windows;
  } else {
    // A backend that cannot see the session's windows says why through CannotDo.
    own_windows_ = platform::ChooseWindowSystem(platform::SessionEnvironment::FromProcess(),
                                                platform::BuiltInBackends())
                       .backend;
    windows_ = own_windows_.get();
  }
  // The input box and the file dialogs belong to the main window.
  prompter_ = PortOr(ports.prompter, own_prompter_,
                     [this] { return std::make_unique<QtPrompter>(window_.get()); });
  given_chooser_ = ports.chooser;

  CodeEditor& editor = *window_->editor();
  buffer_ = new EditorBuffer(&editor);
  const ActionTable& actions = window_->actions();
  keeper_ = std::make_unique<RecoveryKeeper>(
      editor, doc_, *recovery_, [this](const std::u16string& error) {
        MessengerFor(*window_).Show(
            u"Quillan cannot keep a recovery copy of your unsaved work in \"" + recovery_->Where() +
                u"\": " + error +
                u". Save your work to keep it safe should Quillan end unexpectedly.",
            ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
      });
  ConnectDocument();
  // Closed for good, with the work saved or its discarding confirmed: no copy is kept.
  QObject::connect(window_.get(), &MainWindow::Closed, window_.get(),
                   [this] { keeper_->EndSession(); });

  tools_ = std::make_unique<ToolWindows>(*window_);
  edit_commands_ = std::make_unique<EditCommands>(actions, editor, *buffer_, *tools_, messengers());
  window_actions_ =
      std::make_unique<WindowActionCommands>(actions, *buffer_, editor, *declarations_, *tools_,
                                             messengers(), codegen::PausePorts{*clock_, *pump_});
  codegen_commands_ = std::make_unique<CodegenCommands>(
      actions, *buffer_, editor, *prompter_, *declarations_, window_actions_->insertion_host());
  window_tools_ = std::make_unique<WindowTools>(actions, *tools_, *windows_, *buffer_, editor,
                                                *declarations_, messengers());
  file_commands_ = std::make_unique<QObject>();
  // The icon extractor's dialogs are its own, above it, unless the caller gave a chooser.
  tools_->Register("frmIcon", [this] {
    return new IconWindow(
        [this](QWidget& window) -> document::FileChooser& { return ChooserFor(window); }, *files_,
        *settings_, messengers());
  });
  QObject::connect(actions.Action("Get_Icon"), &QAction::triggered, file_commands_.get(),
                   [this] { tools_->Show("frmIcon"); });
  tools_->Register("frmPrefs", [this] { return new PreferencesDialog(*settings_, *window_); });
  QObject::connect(actions.Action("Prefs"), &QAction::triggered, file_commands_.get(),
                   [this] { tools_->Show("frmPrefs"); });
  tools_->Register("frmAbout", [this] { return new AboutDialog(*shell_, *window_); });
  QObject::connect(actions.Action("About"), &QAction::triggered, file_commands_.get(),
                   [this] { tools_->Show("frmAbout"); });
  tools_->Register("frmHelp", [this] { return new HelpWindow(*window_, messengers()); });
  QObject::connect(actions.Action("Help_Contents"), &QAction::triggered, file_commands_.get(),
                   [this] { tools_->Show("frmHelp"); });
  for (const FileCommand& command : kFileCommands) {
    QObject::connect(actions.Action(command.action), &QAction::triggered, file_commands_.get(),
                     [this, run = command.run] {
                       document::DocumentContext ctx = context();
                       run(ctx);
                       ShowDocumentState();
                     });
  }
  ConnectWebSites(actions, *shell_, file_commands_.get());
  window_->SetCloseGuard([this] {
    return document::ConfirmDiscardChanges(doc_, MessengerFor(*window_), files_->PathSeparator());
  });
}

Application::~Application() {
  // A store the caller gave may outlive the windows its reports would stand above.
  if (auto* store = dynamic_cast<QtSettingsStore*>(settings_)) store->OnProblem({});
}

void Application::ConnectDocument() {
  QObject::connect(window_->editor(), &CodeEditor::Changed, window_.get(), [this] {
    doc_.TextChanged();
    keeper_->TextChanged();
    ShowDocumentState();
  });
  doc_.SetListener([this] {
    window_->setWindowTitle(ToQString(doc_.title()));
    keeper_->DocumentChanged();
    ShowDocumentState();
  });
  window_->setWindowTitle(ToQString(doc_.title()));
  ShowDocumentState();
}

void Application::ShowDocumentState() {
  QString encoding;
  switch (doc_.encoding()) {
    case document::Encoding::kUtf8:
      encoding = "UTF-8";
      break;
    case document::Encoding::kUtf8Bom:
      encoding = "UTF-8 with BOM";
      break;
    case document::Encoding::kWindows1252:
      encoding = "Windows-1252";
      break;
    case document::Encoding::kUtf16Le:
      encoding = "UTF-16 LE";
      break;
    case document::Encoding::kUtf16Be:
      encoding = "UTF-16 BE";
      break;
  }
  window_->ShowDocumentState(encoding, doc_.IsModified());
}

document::DocumentContext Application::context() {
  return document::DocumentContext{*buffer_, doc_, MessengerFor(*window_), ChooserFor(*window_),
                                   *files_};
}

ui::Messenger& Application::MessengerFor(QWidget& window) {
  if (given_messenger_ != nullptr) return *given_messenger_;
  std::unique_ptr<ui::Messenger>& messenger = messengers_[&window];
  // A window made where a destroyed one stood gets a messenger of its own.
  auto* qt = static_cast<QtMessenger*>(messenger.get());
  if (qt == nullptr || qt->parent() != &window) messenger = std::make_unique<QtMessenger>(&window);
  return *messenger;
}

document::FileChooser& Application::ChooserFor(QWidget& window) {
  if (given_chooser_ != nullptr) return *given_chooser_;
  std::unique_ptr<document::FileChooser>& chooser = choosers_[&window];
  if (!chooser) chooser = std::make_unique<QtFileChooser>(&window);
  return *chooser;
}

MessengerSource Application::messengers() {
  return [this](QWidget& window) -> ui::Messenger& { return MessengerFor(window); };
}

void Application::ShowStartupMessages() {
  if (!startup_messenger_) return;
  std::unique_ptr<ui::Messenger> held = std::move(startup_messenger_);
  static_cast<StartupMessenger&>(*held).Flush();
}

void Application::Startup(const StartupOptions& options) {
  startup_messenger_ = std::make_unique<StartupMessenger>(
      [this]() -> ui::Messenger& { return MessengerFor(*window_); });
  QObject::connect(window_.get(), &MainWindow::FirstShown, window_.get(), [this] {
    ShowStartupMessages();
    OfferRecovery();
  });
  restore_id_ = options.restore_id;
  // A settings file that cannot be read or kept is reported once, above the main window.
  if (auto* store = dynamic_cast<QtSettingsStore*>(settings_)) {
    store->OnProblem([this](const QString& message) {
      ui::Messenger& messenger = startup_messenger_ ? *startup_messenger_ : MessengerFor(*window_);
      messenger.Show(ToU16(message), ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
    });
  }
  // 1. The untitled title.
  doc_.SetTitle(document::UntitledTitle());
  // 2-9. Stored outer size and position, on top, the editor's font, toolbar, colours, styles.
  window_->ApplyStartupSettings(settings::ReadStartupSettings(*settings_));
  // 10. Where the program lives.
  settings_->Set(
      settings::section::kDir, settings::key::kPath,
      settings::ProgramPathValue(options.program_path.toStdString(), kVersionMajor, kVersionMinor));
  // 11. The project named on the command line.
  if (options.project_path && !options.project_path->isEmpty()) {
    const QString path = NormalizeArgument(*options.project_path);
    document::DocumentContext ctx{*buffer_, doc_, *startup_messenger_, ChooserFor(*window_),
                                  *files_};
    document::LoadProject(ctx, ToU16(path));
    if (options.ignored_arguments > 0) {
      ctx.messenger.Show(u"Quillan opens one project at a time, so only \"" + ToU16(path) +
                             u"\" was opened; the other names on the command line were left "
                             u"alone.",
                         ui::MessageIcon::kInformation, ui::MessageButtons::kOk);
    }
  } else {
    // Without one, the project file type is registered for this user instead.
    shell_->RegisterProjectType(ToU16(QDir::toNativeSeparators(options.program_path)));
  }
}

void Application::OfferRecovery() {
  const char16_t separator = files_->PathSeparator();
  // A window started to restore one copy takes that one only.
  std::vector<document::LeftCopy> left = recovery_->ClaimLeft(restore_id_.value_or(""));
  std::vector<document::LeftCopy> offered;
  std::vector<document::RecoveryCopy> copies;
  std::vector<RecoveryRow> rows;
  for (document::LeftCopy& one : left) {
    const auto copy = document::ParseRecoveryCopy(one.bytes);
    if (!copy) {
      // Not a copy this version reads (a newer Quillan's, say): left as it is.
      recovery_->Release(one.id);
      continue;
    }
    offered.push_back(std::move(one));
    copies.push_back(*copy);
    rows.push_back(RowOf(*copy, separator));
  }
  if (offered.empty()) return;
  if (restore_id_) {
    restore_id_.reset();
    RestoreHere(offered.front(), copies.front());
    return;
  }
  for (;;) {
    RecoveryDialog dialog(rows, window_.get());
    dialog.exec();
    const std::vector<std::size_t> checked = dialog.Checked();
    std::vector<bool> chosen(offered.size(), false);
    for (std::size_t i : checked) chosen[i] = true;
    if (dialog.choice() == RecoveryDialog::Choice::kDiscard) {
      const auto answer = MessengerFor(*window_).Show(
          u"The checked unsaved work will be deleted for good. Do you want to discard it?",
          ui::MessageIcon::kExclamation, ui::MessageButtons::kYesNo);
      if (answer != ui::MessageAnswer::kYes) continue;
      for (std::size_t i = 0; i < offered.size(); ++i) {
        if (chosen[i]) {
          recovery_->Discard(offered[i].id);
        } else {
          recovery_->Release(offered[i].id);
        }
      }
      return;
    }
    if (dialog.choice() == RecoveryDialog::Choice::kLater) {
      for (const document::LeftCopy& one : offered) recovery_->Release(one.id);
      return;
    }
    // The first checked copy comes into this window while it holds nothing of its own; every
    // other one opens in a window of its own.
    bool here_free = doc_.path().empty() && !doc_.IsModified() && buffer_->Length() == 0;
    std::vector<std::u16string> not_started;
    for (std::size_t i = 0; i < offered.size(); ++i) {
      if (!chosen[i]) {
        recovery_->Release(offered[i].id);
      } else if (here_free) {
        here_free = false;
        RestoreHere(offered[i], copies[i]);
      } else {
        recovery_->Release(offered[i].id);
        if (!restore_elsewhere_(offered[i].id)) not_started.push_back(ToU16(rows[i].name));
      }
    }
    for (const std::u16string& name : not_started) {
      MessengerFor(*window_).Show(u"Quillan could not open a window for the unsaved work of " +
                                      name + u"; it will be offered again at the next start.",
                                  ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
    }
    return;
  }
}

void Application::RestoreHere(const document::LeftCopy& left, const document::RecoveryCopy& copy) {
  document::DocumentContext ctx = context();
  if (document::RestoreRecoveryCopy(ctx, copy)) {
    recovery_->Adopt(left.id);
  } else {
    recovery_->Release(left.id);
  }
  ShowDocumentState();
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
  keeper_->WriteNow();
  window_->StoreGeometry();
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
