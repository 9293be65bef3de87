#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/code_buffer.h"
#include "ui/clock.h"
#include "ui/messenger.h"

namespace quillan::codegen {

/// Appends the lines of text, split at CR LF, to list; a last piece after the final CR LF is
/// appended only when it is not empty. An empty text appends nothing.
void SplitLinesToList(std::u16string_view text, std::vector<std::u16string>& list);

/// For each line holding "=" whose lower-case form holds no "const": drops a leading
/// "while ", "until " and "if " (in that order, case-insensitively, keeping the space after
/// the first two) from the item in `lines`, then appends what stands left of the first "=",
/// untrimmed, to `names`.
void ExtractAssignedNames(std::vector<std::u16string>& lines, std::vector<std::u16string>& names);

/// Returns s without any space character (code 32); other white space stays.
std::u16string StripSpaces(std::u16string_view s);

/// Keeps the first of the items that are equal once spaces are removed and case is folded;
/// the survivors keep their spelling and order.
void RemoveDuplicateItems(std::vector<std::u16string>& list);

/// Waits about `seconds` whole seconds by the monotonic clock, letting pending events run and
/// showing the busy sign meanwhile. The start is rounded to the nearest second (halves to
/// even), so the wait is up to half a second shorter or longer; 0 returns at once or within
/// half a second.
void Pause(int seconds, const ui::Clock& clock, ui::EventPump& pump);

/// The state that the window-action menu items, the Select Variable dialog and the action
/// run by OK share. Every field is empty when no action is pending.
struct HandleVariableState {
  std::vector<std::u16string> code_lines;  ///< the main window's work list `List1`
  std::vector<std::u16string> names;       ///< the candidates the dialog lists, in order
  std::u16string action_tag;               ///< the pending `ActionTag` (`lblType`)
};

/// The ports `Pause` runs on.
struct PausePorts {
  const ui::Clock& clock;
  ui::EventPump& pump;
};

/// The first steps of a window-action menu item: appends the code's lines to the work list,
/// then pauses one second, during which another menu item may run. `DiscoverHandleVariables`
/// does the rest; in between, the caller makes the Select Variable dialog (hidden) if it does
/// not exist, since making it loads the option afresh from the store.
void TakeCodeLines(const text::CodeBuffer& buffer, HandleVariableState& state, PausePorts pause);

/// How a window-action menu item ends.
enum class Discovery {
  kNoVariables,  ///< the code assigns nothing: "You have no variables in your code!" was
                 ///< shown and the work list emptied
  kNothingLeft,  ///< the names went during the second pause (a dialog shown by a menu item
                 ///< chosen meanwhile was dismissed): there is nothing to offer
  kShowDialog,   ///< show the Select Variable dialog with `state.names` and
                 ///< `state.action_tag`, no name selected, the main window taking no input
};

/// The rest of the menu item after `TakeCodeLines`: collects the names the work list
/// assigns; when there are none, reports it; otherwise pauses one second more, removes the
/// repeated names and sets `tag` pending.
Discovery DiscoverHandleVariables(std::u16string_view tag, HandleVariableState& state,
                                  PausePorts pause, ui::Messenger& messenger);

/// The refusal shown when the code assigns nothing (window actions and Dim All).
void ShowNoVariables(ui::Messenger& messenger);

}  // namespace quillan::codegen
