#include "codegen/primitives.h"

#include <limits>
#include <string>

#include "text/vb_string.h"

namespace quillan::codegen {

namespace {

// Inserts line + ending at the caret as one change of the buffer, so that the editor sees a
// single edit per declaration.
void InsertLine(text::CodeBuffer& buffer, std::u16string_view line, std::u16string_view ending) {
  std::u16string piece;
  piece.reserve(line.size() + ending.size());
  piece.append(line);
  piece.append(ending);
  buffer.SetSelText(piece);
}

bool Contains(const std::u16string& text, std::u16string_view key) {
  return std::u16string_view(text).find(key) != std::u16string_view::npos;
}

void EnsureDeclarationEndingWith(text::CodeBuffer& buffer, std::u16string_view key,
                                 std::u16string_view line, std::u16string_view ending) {
  if (Contains(buffer.Text(), key)) return;
  InsertLine(buffer, line, ending);
}

}  // namespace

void AppendCode(text::CodeBuffer& buffer, std::u16string_view s) {
  // Beyond the end on purpose: the buffer clamps the caret to the end.
  buffer.SetSelStart(std::numeric_limits<std::size_t>::max());
  buffer.SetSelText(s);
}

void EnsureDeclaration(text::CodeBuffer& buffer, std::u16string_view key,
                       std::u16string_view line) {
  EnsureDeclarationEndingWith(buffer, key, line, text::kCrLf);
}

void EnsureDeclaration(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line,
                       Blank) {
  EnsureDeclarationEndingWith(buffer, key, line, u"\r\n\r\n");
}

void EnsureDimLine(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line) {
  const std::u16string_view text = buffer.Text();
  std::size_t anchor = text.rfind(u"Dim ");
  if (anchor == std::u16string_view::npos) anchor = text.rfind(u"Declare");
  std::size_t caret = 0;
  if (anchor != std::u16string_view::npos) {
    const std::size_t line_end = text.find(text::kCrLf, anchor);
    if (line_end != std::u16string_view::npos) caret = line_end + text::kCrLf.size();
  }
  const bool present = text.find(key) != std::u16string_view::npos;
  // The caret moves even when the line is already present.
  buffer.SetSelStart(caret);
  if (!present) InsertLine(buffer, line, text::kCrLf);
}

void FinishInsertion(text::CodeBuffer& buffer, InsertionHost& host, bool declarations_on) {
  host.ResetVariableDialog();
  host.ClearWorkList();
  host.EnableAndFocusMainWindow();
  if (!declarations_on) buffer.SetSelStart(buffer.Length());
}

}  // namespace quillan::codegen
