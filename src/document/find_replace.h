#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_buffer.h"
#include "ui/messenger.h"

namespace quillan::document {

/// The commands of the Find/Replace dialog and the search position they share.
///
/// The search position P is 1-based: the next Find looks for an occurrence starting at P or
/// later. It survives changes of the code, of the search text and of the dialog's visibility.
/// Messages go to the messenger; the caller gives the editor the focus when a command reports
/// that it selected an occurrence.
class FindReplace {
 public:
  /// The search position P, 1-based; 1 at first.
  std::size_t position() const { return position_; }
  void set_position(std::size_t position) { position_ = position; }

  /// Find: selects the first occurrence of `what` at or after P, else the first one from the
  /// start, and sets P one past its start. Returns true when it selected an occurrence.
  bool Find(text::CodeBuffer& buffer, ui::Messenger& messenger, std::u16string_view what);

  /// Replace: replaces the selection, whatever it holds, with `with`, then finds the next
  /// occurrence after the inserted text. Returns true when Find selected an occurrence.
  bool Replace(text::CodeBuffer& buffer, ui::Messenger& messenger, std::u16string_view what,
               std::u16string_view with);

  /// Replace All: replaces every occurrence Find would find, left to right and
  /// non-overlapping, as one change of the text, and leaves the caret at the start. Occurrences
  /// that already read `with` are counted but not touched. P is not changed. Returns the number of
  /// occurrences.
  std::size_t ReplaceAll(text::CodeBuffer& buffer, ui::Messenger& messenger,
                         std::u16string_view what, std::u16string_view with);

 private:
  std::size_t position_ = 1;
};

}  // namespace quillan::document
