#pragma once

#include <QObject>

#include "codegen/insert_declarations.h"
#include "gui/widgets/action_table.h"
#include "ui/prompter.h"

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;

class WindowActionCommands;

/// The items of the Code Inserts and Code Presets submenus and their generators; each run is
/// one undo step of the editor, which has the focus afterwards.
class CodegenCommands final : public QObject {
  Q_OBJECT

 public:
  /// `window_actions` ends the presets that end like a window action (it resets the Select
  /// Variable dialog).
  CodegenCommands(const ActionTable& actions, EditorBuffer& buffer, CodeEditor& editor,
                  ui::Prompter& prompter, codegen::InsertDeclarations& declarations,
                  WindowActionCommands& window_actions);
};

}  // namespace quillan::gui
