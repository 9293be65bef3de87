#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_buffer.h"
#include "ui/messenger.h"

namespace quillan::document {

/// Puts Replace All's edits into the buffer: the occurrences at `starts` (ascending,
/// non-overlapping, `length` characters each) all become `with`, as one change of the text
/// (one undo step), and the caret ends at 0.
using ReplaceAllEdit =
    std::function<void(text::CodeBuffer& buffer, const std::vector<std::size_t>& starts,
                       std::size_t length, std::u16string_view with)>;

/// The edit through the CodeBuffer alone: the span from the first occurrence to the end of the
/// last is rebuilt once and replaces the selection of that span.
void ReplaceSpanOnce(text::CodeBuffer& buffer, const std::vector<std::size_t>& starts,
                     std::size_t length, std::u16string_view with);

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
  /// non-overlapping, through `edit` (one change of the text), and leaves the caret at the
  /// start. Occurrences that already read `with` are counted but not touched. P is not
  /// changed. Returns the number of occurrences.
  std::size_t ReplaceAll(text::CodeBuffer& buffer, ui::Messenger& messenger,
                         std::u16string_view what, std::u16string_view with,
                         const ReplaceAllEdit& edit = ReplaceSpanOnce);

 private:
  std::size_t position_ = 1;
};

}  // namespace quillan::document
