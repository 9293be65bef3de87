#pragma once

#include <QObject>

#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"
#include "gui/widgets/action_table.h"
#include "ui/prompter.h"

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;

/// The items of the Code Inserts and Code Presets submenus and their generators; each run is
/// one undo step of the editor, which has the focus afterwards.
class CodegenCommands final : public QObject {
  Q_OBJECT

 public:
  /// `host` ends the presets that end like a window action (it resets the Select Variable
  /// dialog).
  CodegenCommands(const ActionTable& actions, EditorBuffer& buffer, CodeEditor& editor,
                  ui::Prompter& prompter, codegen::InsertDeclarations& declarations,
                  codegen::InsertionHost& host);
};

}  // namespace quillan::gui
