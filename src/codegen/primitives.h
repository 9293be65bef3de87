#pragma once

#include <span>
#include <string>
#include <string_view>

#include "text/code_buffer.h"

namespace quillan::codegen {

/// Appends s at the end of the text; the caret ends at the end.
void AppendCode(text::CodeBuffer& buffer, std::u16string_view s);

/// Inserts line + CR LF at the caret unless key occurs anywhere in the text (case-sensitive).
void EnsureDeclaration(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line);

/// The same, inserting line + CR LF CR LF, so that an empty line follows it.
struct Blank {};
void EnsureDeclaration(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line,
                       Blank);

/// Moves the caret to the start of the line below the last "Dim " (else the last "Declare";
/// else offset 0), then inserts line + CR LF there unless key occurs in the text.
void EnsureDimLine(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line);

/// Where `EnsureDimLine` puts the caret: after the line of the last "Dim ", else of the last
/// "Declare", else at 0.
struct DimPlace {
  std::size_t caret = 0;
  bool unended = false;    ///< the anchor has no line end after it (the caret goes to 0)
  bool dim_stuck = false;  ///< ... and it is a "Dim ": every line goes to the top, above the
                           ///< one before, and the anchor stays where it is
};

/// Where `EnsureDimLine` puts the caret in text.
DimPlace FindDimPlace(std::u16string_view text);

/// A line that a generator adds unless its key already occurs in the text.
struct KeyedLine {
  std::u16string_view key;
  std::u16string_view line;
  bool blank = false;  ///< for declarations: an empty line follows the line
};

/// `EnsureDeclaration` for each item in order (with `Blank` where `blank` is set), with the
/// same text and caret afterwards, but reading the text once and changing it at most once.
void EnsureDeclarations(text::CodeBuffer& buffer, std::span<const KeyedLine> items);

/// `EnsureDimLine` for each item in order, with the same text and caret afterwards, but
/// reading the text once and changing it at most once. `blank` is ignored.
void EnsureDimLines(text::CodeBuffer& buffer, std::span<const KeyedLine> items);

/// `AppendCode` of code, `EnsureDimLines` of items, then the caret to the end of the text;
/// where the result allows, the Dim lines go in first so that the text is read only once.
void AppendCodeWithDimLines(text::CodeBuffer& buffer, std::u16string_view code,
                            std::span<const KeyedLine> items);

/// Whether key occurs in text (case-sensitive); an empty key always occurs.
bool ContainsKey(std::u16string_view text, std::u16string_view key);

/// What a run that may end like a window action leaves the windows to do once its edits are
/// done.
struct InsertionOutcome {
  /// The run ended with `FinishInsertion`: the Select Variable dialog is to be hidden and its
  /// list and pending tag emptied, the work list emptied, and the main window given back its
  /// input and the focus. false: nothing of that (for a window action: no variable was
  /// selected, and nothing changed).
  bool finished = false;
  /// The note to show after that, above the main window; "" for none.
  std::u16string_view note;
};

/// Ends a window-action run: when declarations were off for this run, puts the caret at the
/// end of the text (with them on it stays behind the last declaration step); returns the
/// finished run, for the windows to reset.
InsertionOutcome FinishInsertion(text::CodeBuffer& buffer, bool declarations_on);

}  // namespace quillan::codegen
