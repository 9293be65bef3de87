#pragma once

#include "codegen/insert_declarations.h"

namespace quillan::gui {

class MainWindow;

/// Connects the items of the Code Inserts and Code Presets submenus to their generators; each
/// run is one undo step of the editor.
void InstallCodegenCommands(MainWindow& window);

/// The window's one "Insert Declarations with code." option, shared by every generator and by
/// the check boxes that show it; made on first use and owned by the window.
codegen::InsertDeclarations& InsertDeclarationsOf(MainWindow& window);

}  // namespace quillan::gui
