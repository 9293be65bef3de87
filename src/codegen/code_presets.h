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

/// "Save Text...": writes a text to a file.
void InsertSaveText(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Load Text...": reads a whole file into a text.
void InsertLoadText(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Save List...": writes a list box to a file, one item a line.
void InsertSaveList(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Load List...": fills a list box from a file.
void InsertLoadList(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Encrypt String...": shifts each character of a string variable by its position minus 8.
void InsertEncryptString(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Decrypt String...": the inverse shift of Encrypt String.
void InsertDecryptString(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Run .exe...": starts a program if its file exists.
void InsertRunExe(text::CodeBuffer& buffer, ui::Prompter& prompter);
/// "Open URL In IE...": opens a web page; the prompt proposes default_url (the program's home
/// page).
void InsertOpenUrl(text::CodeBuffer& buffer, ui::Prompter& prompter,
                   std::u16string_view default_url);
/// "Form On Top...": a SetWindowPos call; with the option on, its declarations at the top and
/// `FinishInsertion`, which leaves the caret behind the last declaration inserted.
void InsertFormOnTop(text::CodeBuffer& buffer, ui::Prompter& prompter,
                     InsertDeclarations& declarations, InsertionHost& host);
/// "Form Not On Top...": as Form On Top, with HWND_NOTOPMOST.
void InsertFormNotOnTop(text::CodeBuffer& buffer, ui::Prompter& prompter,
                        InsertDeclarations& declarations, InsertionHost& host);

}  // namespace quillan::codegen
