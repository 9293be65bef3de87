#pragma once

#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"

namespace quillan::gui {

class MainWindow;

/// Connects the items of the Code Inserts and Code Presets submenus to their generators; each
/// run is one undo step of the editor.
void InstallCodegenCommands(MainWindow& window);

/// The window's one "Insert Declarations with code." option, shared by every generator and by
/// the check boxes that show it; made on first use and owned by the window.
codegen::InsertDeclarations& InsertDeclarationsOf(MainWindow& window);

/// Hands `FinishInsertion` of these commands to the owner of the Select Variable dialog (null
/// restores the default, which hides a window named "frmVar" and enables and focuses the main
/// window). The host must outlive its registration.
void SetInsertionHost(MainWindow& window, codegen::InsertionHost* host);

}  // namespace quillan::gui
