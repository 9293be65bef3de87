#include "gui/codegen_commands.h"

#include <QAction>
#include <QApplication>
#include <QObject>
#include <QPlainTextEdit>
#include <QWidget>

#include "codegen/code_presets.h"
#include "codegen/statement_inserts.h"
#include "gui/main_window.h"
#include "gui/shell_integration.h"
#include "text/vb_string.h"

namespace quillan::gui {

namespace {

constexpr char kStateName[] = "codegenCommands";
constexpr char kVariableDialogName[] = "frmVar";

// Used while no Select Variable dialog owner has registered its own host.
class DefaultInsertionHost final : public codegen::InsertionHost {
 public:
  explicit DefaultInsertionHost(MainWindow& window) : window_(window) {}

  void ResetVariableDialog() override {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == kVariableDialogName) widget->hide();
    }
  }
  void ClearWorkList() override {}
  void EnableAndFocusMainWindow() override {
    window_.setEnabled(true);
    window_.activateWindow();
    window_.editor()->setFocus();
  }

 private:
  MainWindow& window_;
};

// What the generators share, owned by the main window.
class CodegenState final : public QObject {
 public:
  explicit CodegenState(MainWindow& window)
      : QObject(&window), declarations_(window.settings_store()), default_host_(window) {
    setObjectName(kStateName);
  }

  codegen::InsertDeclarations& declarations() { return declarations_; }
  codegen::InsertionHost& host() { return host_ != nullptr ? *host_ : default_host_; }
  void set_host(codegen::InsertionHost* host) { host_ = host; }

 private:
  codegen::InsertDeclarations declarations_;
  DefaultInsertionHost default_host_;
  codegen::InsertionHost* host_ = nullptr;
};

CodegenState& StateOf(MainWindow& window) {
  auto* state = dynamic_cast<CodegenState*>(
      window.findChild<QObject*>(kStateName, Qt::FindDirectChildrenOnly));
  if (state == nullptr) state = new CodegenState(window);
  return *state;
}

struct Ports {
  text::CodeBuffer& buffer;
  ui::Prompter& prompter;
  codegen::InsertDeclarations& declarations;
  codegen::InsertionHost& host;
};

struct Command {
  const char* action;
  void (*run)(const Ports& ports);
};

// The menu items by their object names. "Loop_Appear" and "Loop_Gone" of Code Inserts are
// window actions and are wired with the Select Variable dialog.
constexpr Command kCommands[] = {
    {"If_Then", [](const Ports& p) { codegen::InsertIfThen(p.buffer, p.prompter); }},
    {"If_Then_Else", [](const Ports& p) { codegen::InsertIfThenElse(p.buffer, p.prompter); }},
    {"Do_Loop", [](const Ports& p) { codegen::InsertDoLoop(p.buffer, p.prompter); }},
    {"Do_Loop_Until", [](const Ports& p) { codegen::InsertDoLoopUntil(p.buffer, p.prompter); }},
    {"Do_While", [](const Ports& p) { codegen::InsertDoWhileLoop(p.buffer, p.prompter); }},
    {"For_Next", [](const Ports& p) { codegen::InsertForNext(p.buffer, p.prompter); }},
    {"Code_Pause", [](const Ports& p) { codegen::InsertPause(p.buffer, p.prompter); }},
    {"Save_Text", [](const Ports& p) { codegen::InsertSaveText(p.buffer, p.prompter); }},
    {"Load_Text", [](const Ports& p) { codegen::InsertLoadText(p.buffer, p.prompter); }},
    {"Save_List", [](const Ports& p) { codegen::InsertSaveList(p.buffer, p.prompter); }},
    {"Load_List", [](const Ports& p) { codegen::InsertLoadList(p.buffer, p.prompter); }},
    {"Encrypt_String", [](const Ports& p) { codegen::InsertEncryptString(p.buffer, p.prompter); }},
    {"Decrypt_String", [](const Ports& p) { codegen::InsertDecryptString(p.buffer, p.prompter); }},
    {"Run_EXE", [](const Ports& p) { codegen::InsertRunExe(p.buffer, p.prompter); }},
    {"Link_IE",
     [](const Ports& p) {
       codegen::InsertOpenUrl(p.buffer, p.prompter, text::FromUtf8(kHomePageUrl));
     }},
    {"Form_On_Top",
     [](const Ports& p) {
       codegen::InsertFormOnTop(p.buffer, p.prompter, p.declarations, p.host);
     }},
    {"Form_Not_On_Top",
     [](const Ports& p) {
       codegen::InsertFormNotOnTop(p.buffer, p.prompter, p.declarations, p.host);
     }},
};

void Run(MainWindow& window, const Command& command) {
  CodegenState& state = StateOf(window);
  {
    // One undo step and one caret update for all the edits of the command.
    EditorBuffer::Command guard(window.buffer());
    command.run({window.buffer(), window.prompter(), state.declarations(), state.host()});
  }
  window.activateWindow();
  window.editor()->setFocus();
}

}  // namespace

codegen::InsertDeclarations& InsertDeclarationsOf(MainWindow& window) {
  return StateOf(window).declarations();
}

void SetInsertionHost(MainWindow& window, codegen::InsertionHost* host) {
  StateOf(window).set_host(host);
}

void InstallCodegenCommands(MainWindow& window) {
  CodegenState& state = StateOf(window);
  for (const Command& command : kCommands) {
    QAction* action = window.Action(command.action);
    if (action == nullptr) continue;
    QObject::connect(action, &QAction::triggered, &state,
                     [&window, &command] { Run(window, command); });
  }
}

}  // namespace quillan::gui
