#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quillan::text {

/// The code document as the generators see it: UTF-16 text whose lines end in CR LF, a caret
/// (`SelStart`, 0 .. length) and a selection of `SelLength` characters starting at the caret.
///
/// Rules every implementation keeps:
///  1. Setting the caret beyond the end puts it at the end; setting the caret empties the
///     selection.
///  2. `SetSelText(s)` replaces the selection with s and leaves the caret directly after s,
///     with an empty selection.
///  3. `Text()` always returns the current text, including what was inserted a moment before.
///  4. Every change of the text is reported to the document (the modified flag).
class CodeBuffer {
 public:
  virtual ~CodeBuffer() = default;

  /// The whole text. The reference stays valid until the next change of the buffer.
  virtual const std::u16string& Text() const = 0;
  /// Length of the text in UTF-16 units.
  virtual std::size_t Length() const = 0;
  /// Caret offset, 0 .. Length().
  virtual std::size_t SelStart() const = 0;
  /// Number of selected characters after the caret.
  virtual std::size_t SelLength() const = 0;
  /// The selected characters.
  virtual std::u16string SelText() const = 0;
  /// Moves the caret (clamped to the end) and empties the selection.
  virtual void SetSelStart(std::size_t pos) = 0;
  /// Selects n characters from the caret (clamped to the end).
  virtual void SetSelLength(std::size_t n) = 0;
  /// Replaces the selection with s; the caret ends directly after s.
  virtual void SetSelText(std::u16string_view s) = 0;
  /// Replaces the whole text; the caret ends at 0.
  virtual void SetText(std::u16string_view s) = 0;
  /// The same with valid UTF-8 whose lines end in CR LF, which a buffer that keeps UTF-8 takes
  /// without converting it.
  virtual void SetTextUtf8(std::string_view utf8);
  /// The same, taking the bytes over, so that a buffer may give their memory back as it
  /// takes them in: a large text is then never held twice.
  virtual void TakeTextUtf8(std::string&& utf8) { SetTextUtf8(utf8); }
  /// Replaces the `length` characters at each of `starts` (ascending, non-overlapping) with
  /// `with`, as one change of the text and one undo step; the caret ends at 0.
  virtual void ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                             std::u16string_view with) = 0;
};

/// The longest line the editor takes, in UTF-16 units. It lays a line out whole on every
/// change, which for longer lines would hold the window up for seconds.
inline constexpr std::size_t kMaxLineLength = 1'000'000;

/// The length of the longest line (lines end in CR, LF or CR LF).
std::size_t LongestLine(std::u16string_view text);
/// The same for valid UTF-8, counted in UTF-16 units.
std::size_t LongestLineUtf8(std::string_view utf8);

/// The longest line that `ReplacedRanges` would make, found without making it.
std::size_t LongestLineAfterReplacing(std::u16string_view text, std::span<const std::size_t> starts,
                                      std::size_t length, std::u16string_view with);

/// The text that `ReplaceRanges` makes of `text`, built in one pass.
std::u16string ReplacedRanges(std::u16string_view text, std::span<const std::size_t> starts,
                              std::size_t length, std::u16string_view with);

}  // namespace quillan::text
