#include "document/find_replace.h"

#include <algorithm>
#include <vector>

#include "document/document_commands.h"
#include "text/code_buffer.h"
#include "text/vb_string.h"

namespace quillan::document {
namespace {

void ShowRefusal(ui::Messenger& messenger, std::u16string_view message) {
  messenger.Show(message, ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
}

void ShowNotFound(ui::Messenger& messenger) {
  messenger.Show(u"Search text was not found.", ui::MessageIcon::kInformation,
                 ui::MessageButtons::kOk);
}

void ShowNoSearchText(ui::Messenger& messenger) {
  ShowRefusal(messenger, u"You must enter text to search for.");
}

// The first occurrence at or after `from`, else the first one before it. One pass over the
// text at most: the wrapped search stops where an occurrence would reach `from`'s match area.
std::size_t FindFromOrWrap(std::u16string_view text, std::u16string_view what, std::size_t from) {
  if (from < text.size()) {
    const std::size_t at = text::FindNoCase(text, what, from);
    if (at != text::kNotFound) return at;
  }
  // A position past the end (the code became shorter) wraps like a failed search.
  const std::size_t limit = std::min(text.size(), from + what.size() - 1);
  return text::FindNoCase(text.substr(0, limit), what, 0);
}

}  // namespace

bool FindReplace::Find(text::CodeBuffer& buffer, ui::Messenger& messenger,
                       std::u16string_view what) {
  if (what.empty()) {
    ShowNoSearchText(messenger);
    return false;
  }
  const std::size_t from = position_ > 0 ? position_ - 1 : 0;
  const std::size_t at = FindFromOrWrap(buffer.Text(), what, from);
  if (at == text::kNotFound) {
    ShowNotFound(messenger);
    return false;
  }
  buffer.SetSelStart(at);
  buffer.SetSelLength(what.size());
  // One past the start, so that the next Find also sees an overlapping occurrence.
  position_ = at + 2;
  return true;
}

bool FindReplace::Replace(text::CodeBuffer& buffer, ui::Messenger& messenger,
                          std::u16string_view what, std::u16string_view with) {
  if (with.empty()) {
    ShowRefusal(messenger, u"You must enter text to replace.");
    return false;
  }
  if (buffer.SelLength() == 0) {
    ShowRefusal(messenger, u"You have no selected text to replace.");
    return false;
  }
  buffer.SetSelText(with);
  // Go on after the inserted text: a replacement that contains the search text (dim by
  // Dim2, a by ba) must not be found again and again.
  position_ = buffer.SelStart() + 1;
  return Find(buffer, messenger, what);
}

std::size_t FindReplace::ReplaceAll(text::CodeBuffer& buffer, ui::Messenger& messenger,
                                    std::u16string_view what, std::u16string_view with) {
  if (what.empty()) {
    ShowNoSearchText(messenger);
    return 0;
  }
  const std::u16string_view code = buffer.Text();
  std::size_t count = 0;
  std::vector<std::size_t> changing;  // occurrences whose text differs from `with`
  for (std::size_t at = text::FindNoCase(code, what, 0); at != text::kNotFound;
       at = text::FindNoCase(code, what, at + what.size())) {
    ++count;
    if (code.substr(at, what.size()) != with) changing.push_back(at);
  }
  if (count == 0) {
    ShowNotFound(messenger);
    return 0;
  }
  // A line the editor could not lay out in time is not made; nothing is changed.
  if (const std::size_t longest =
          text::LongestLineAfterReplacing(code, changing, what.size(), with);
      !changing.empty() && longest > text::kMaxLineLength) {
    messenger.Show(LongLineMessage(u"Nothing was replaced", longest), ui::MessageIcon::kExclamation,
                   ui::MessageButtons::kOk);
    return 0;
  }
  // Nothing to change leaves the code, and so the modified flag, alone.
  if (!changing.empty()) buffer.ReplaceRanges(changing, what.size(), with);
  buffer.SetSelStart(0);

  std::u16string message = u"All instances of ";
  message.append(what);
  message.append(u" have been replaced with ");
  message.append(with);
  message.append(u".");
  messenger.Show(message, ui::MessageIcon::kInformation, ui::MessageButtons::kOk);
  return count;
}

}  // namespace quillan::document
