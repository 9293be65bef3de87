#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"
#include "text/code_buffer.h"
#include "text/messenger.h"

namespace quillan::codegen {

/// One string passed to `AppendCode`: an optional CR LF, `head`, the selected variable when
/// `variable` is set, `tail`, and an optional CR LF. A piece with nothing in it is unused.
struct CodePiece {
  bool line_before = false;
  std::u16string_view head;
  bool variable = false;
  std::u16string_view tail;
  bool line_after = false;

  /// Whether the slot holds a piece at all.
  bool used() const { return line_before || variable || line_after || !head.empty(); }
  /// The piece with v spliced in.
  std::u16string Compose(std::u16string_view v) const;
};

/// A line added unless its key occurs in the code.
struct KeyLine {
  std::u16string_view key;
  std::u16string_view line;
};

/// A declaration of an action: the line, and whether an empty line follows it.
struct ActionDeclaration {
  const KeyLine* line = nullptr;  ///< nullptr: unused slot
  bool blank = false;
};

/// When an action's note is shown.
enum class NoteWhen { kNever, kAlways, kWhenOff };

/// One row of the window-action catalogue.
struct WindowAction {
  std::u16string_view menu_item;  ///< objectName of the menu item that asks for it
  std::u16string_view tag;        ///< its `ActionTag`
  std::array<CodePiece, 3> pieces;
  std::array<const KeyLine*, 2> dims;  ///< for `EnsureDimLine`; nullptr: unused slot
  std::array<ActionDeclaration, 4> declarations;
  std::u16string_view note{};
  NoteWhen note_when = NoteWhen::kNever;
  bool uses_option = true;  ///< false: declarations never, caret to the end, as with the option off
};

/// Every window action, in the order of the menus.
std::span<const WindowAction> WindowActions();

/// The action whose tag equals `tag` exactly; nullptr if none.
const WindowAction* FindWindowAction(std::u16string_view tag);

/// What one run of an action did.
struct ActionOutcome {
  bool ran = false;          ///< false: no variable was selected; nothing changed
  std::u16string_view note;  ///< the note to show now that the run is over; "" for none
};

/// The action skeleton: refuses an empty variable with "You must select a variable!";
/// otherwise appends the pieces, adds the Dim lines, adds the declarations at the top when
/// the option is on and the action uses it, and ends with `FinishInsertion`.
ActionOutcome RunWindowAction(const WindowAction& action, std::u16string_view variable,
                              text::CodeBuffer& buffer, bool declarations_on, InsertionHost& host,
                              text::Messenger& messenger);

/// Shows an action's note: information icon, OK, the application's title.
void ShowActionNote(text::Messenger& messenger, std::u16string_view note);

/// The OK button of the Select Variable dialog: runs the action whose tag equals `tag`
/// (nothing when none does), then stores the option. The note is left to the caller.
ActionOutcome AcceptVariable(std::u16string_view tag, std::u16string_view variable,
                             text::CodeBuffer& buffer, InsertDeclarations& option,
                             InsertionHost& host, text::Messenger& messenger);

}  // namespace quillan::codegen
