#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"
#include "text/code_buffer.h"
#include "ui/messenger.h"

namespace quillan::codegen {

/// When an action's note is shown.
enum class NoteWhen { kNever, kAlways, kWhenOff };

/// One row of the window-action catalogue.
struct WindowAction {
  std::u16string_view menu_item;  ///< objectName of the menu item that asks for it
  std::u16string_view tag;        ///< its `ActionTag`
  /// The code appended, as templates joined in order; "{V}" is the selected variable.
  std::array<std::u16string_view, 3> code;
  /// The Dim lines (`EnsureDimLine`) and the declarations at the top; an empty line is an
  /// unused slot.
  std::array<KeyedLine, 2> dims;
  std::array<KeyedLine, 4> declarations;
  std::u16string_view note{};
  NoteWhen note_when = NoteWhen::kNever;
  bool uses_option = true;  ///< false: declarations never, caret to the end, as with the option off
};

/// Every window action, in the order of the menus.
std::span<const WindowAction> WindowActions();

/// The action whose tag equals `tag` exactly; nullptr if none.
const WindowAction* FindWindowAction(std::u16string_view tag);

/// The action skeleton: refuses an empty variable with "You must select a variable!" (the
/// outcome is then not finished); otherwise appends the code, adds the Dim lines, adds the
/// declarations at the top when the option is on and the action uses it, and ends with
/// `FinishInsertion`, giving the action's note where it is shown for this run.
InsertionOutcome RunWindowAction(const WindowAction& action, std::u16string_view variable,
                                 text::CodeBuffer& buffer, bool declarations_on,
                                 ui::Messenger& messenger);

/// Shows an action's note: information icon, OK, the application's title.
void ShowActionNote(ui::Messenger& messenger, std::u16string_view note);

/// The OK button of the Select Variable dialog: runs the action whose tag equals `tag`
/// (nothing when none does), then stores the option. What the run leaves to do, the note
/// included, is left to the caller.
InsertionOutcome AcceptVariable(std::u16string_view tag, std::u16string_view variable,
                                text::CodeBuffer& buffer, InsertDeclarations& option,
                                ui::Messenger& messenger);

}  // namespace quillan::codegen
