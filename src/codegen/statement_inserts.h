#pragma once

#include "text/code_buffer.h"
#include "ui/prompter.h"

namespace quillan::codegen {

// The Code Inserts commands. Each asks for the varying part of its statement; Cancel or an
// empty answer at any prompt leaves the buffer unchanged. The six statements go at the end of
// the buffer as one block that starts on a fresh line, with an indented empty body line, and
// leave the caret at the end.

/// The six statements, by their menu items.
enum class Statement {
  kIfThen,       ///< "If/Then...": If <answer> Then / body / End If
  kIfThenElse,   ///< "If/Then/Else...": If <answer> Then / body / Else / body / End If
  kDoLoop,       ///< "Do/Loop...": Do <answer> / body / Loop
  kDoLoopUntil,  ///< "Do/Loop Until...": two prompts; Do <first> / body / Loop Until <second>
  kDoWhileLoop,  ///< "Do While/Loop...": Do While <answer> / body / Loop
  kForNext,      ///< "For/Next...": For <answer> / body / Next
};

/// Asks for the statement's answers and appends its block.
void InsertStatement(Statement statement, text::CodeBuffer& buffer, ui::Prompter& prompter);

/// "Pause...": a Timer wait loop inserted exactly at the caret (a selection is kept, the loop
/// goes before it), then "Dim Current As Long" below the last Dim line unless "Dim Current As"
/// is present; the caret stays behind that declaration step.
void InsertPause(text::CodeBuffer& buffer, ui::Prompter& prompter);

}  // namespace quillan::codegen
