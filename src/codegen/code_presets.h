#pragma once

#include <string_view>

#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"
#include "text/code_buffer.h"
#include "ui/prompter.h"

namespace quillan::codegen {

// The Code Presets commands. Each asks for the names and paths that vary (Cancel or an empty
// answer at any prompt leaves the buffer unchanged), appends its routine at the end of the
// buffer as a block that starts on a fresh line, adds the Dim lines its routine needs below
// the last Dim line, and leaves the caret at the end, except where noted.

/// The routines that need nothing but the answers to their prompts, by their menu items.
enum class Routine {
  kSaveText,       ///< "Save Text...": writes a text to a file
  kLoadText,       ///< "Load Text...": reads a whole file into a text
  kSaveList,       ///< "Save List...": writes a list box to a file, one item a line
  kLoadList,       ///< "Load List...": fills a list box from a file
  kEncryptString,  ///< "Encrypt String...": shifts each character by its position minus 8
  kDecryptString,  ///< "Decrypt String...": the inverse shift of Encrypt String
  kRunExe,         ///< "Run .exe...": starts a program if its file exists
};

/// Asks for the routine's names and paths and appends it.
void InsertRoutine(Routine routine, text::CodeBuffer& buffer, ui::Prompter& prompter);

/// "Open URL In IE...": opens a web page; the prompt proposes default_url (the program's home
/// page).
void InsertOpenUrl(text::CodeBuffer& buffer, ui::Prompter& prompter,
                   std::u16string_view default_url);
/// Where "Form On Top..." and "Form Not On Top..." put the form.
enum class Placement { kOnTop, kNotOnTop };

/// "Form On Top..." (HWND_TOPMOST) or "Form Not On Top..." (HWND_NOTOPMOST): a SetWindowPos
/// call; with the option on, its declarations at the top and `FinishInsertion`, which leaves
/// the caret behind the last declaration inserted. The outcome is finished only then.
InsertionOutcome InsertFormPlacement(Placement placement, text::CodeBuffer& buffer,
                                     ui::Prompter& prompter, InsertDeclarations& declarations);

}  // namespace quillan::codegen
