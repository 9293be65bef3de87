#include "gui/codegen_commands.h"

#include <QObject>

#include "gui/main_window.h"

namespace quillan::gui {

namespace {

constexpr char kHolderName[] = "codegenCommands";

// Owns what the generators share for the lifetime of the main window.
class CodegenState final : public QObject {
 public:
  explicit CodegenState(MainWindow& window)
      : QObject(&window), insert_declarations_(window.settings_store()) {
    setObjectName(kHolderName);
  }

  codegen::InsertDeclarations& insert_declarations() { return insert_declarations_; }

 private:
  codegen::InsertDeclarations insert_declarations_;
};

CodegenState& StateOf(MainWindow& window) {
  auto* state = dynamic_cast<CodegenState*>(
      window.findChild<QObject*>(kHolderName, Qt::FindDirectChildrenOnly));
  if (state == nullptr) state = new CodegenState(window);
  return *state;
}

}  // namespace

codegen::InsertDeclarations& InsertDeclarationsOf(MainWindow& window) {
  return StateOf(window).insert_declarations();
}

void InstallCodegenCommands(MainWindow& window) { StateOf(window); }

}  // namespace quillan::gui
