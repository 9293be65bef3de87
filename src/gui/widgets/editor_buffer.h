#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "text/code_buffer.h"

namespace quillan::gui {

class CodeEditor;

/// The `CodeBuffer` over the editor. Scintilla holds the text as UTF-8 with its CR LF line
/// ends as they are; positions there are bytes, offsets here UTF-16 units, mapped through
/// Scintilla's UTF-16 line index. Text put in has every lone CR or LF made CR LF and every
/// lone surrogate U+FFFD (one unit either way, so offsets stay as given). NUL characters are
/// kept: text always goes over with its length.
///
/// Between `BeginCommand` and `EndCommand` all edits form one undo step and the caret is
/// scrolled into view once at the end.
class EditorBuffer final : public QObject, public text::CodeBuffer {
  Q_OBJECT

 public:
  explicit EditorBuffer(CodeEditor* edit);

  const std::u16string& Text() const override;
  std::size_t Length() const override;
  std::size_t SelStart() const override;
  std::size_t SelLength() const override;
  std::u16string SelText() const override;
  void SetSelStart(std::size_t pos) override;
  void SetSelLength(std::size_t n) override;
  void SetSelText(std::u16string_view s) override;
  void SetText(std::u16string_view s) override;
  void SetTextUtf8(std::string_view utf8) override;
  void TakeTextUtf8(std::string&& utf8) override;
  void ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                     std::u16string_view with) override;

  /// A whole text goes into the editor in pieces of this many units (the first piece is
  /// smaller), so that no second copy of a large text is made on the way.
  static constexpr std::size_t kFirstPieceUnits = 1 << 16;
  static constexpr std::size_t kPieceUnits = 1 << 20;
  /// Bytes of room the editor gets for typing beyond a text put in whole.
  static constexpr std::size_t kTypingRoom = 1 << 18;

  void BeginCommand();
  void EndCommand();

  /// How often the whole text was read from the editor (edits update the copy in place).
  int full_reads() const { return full_reads_; }

  /// Converts between document offsets (UTF-16 units) and editor positions (UTF-8 bytes).
  /// An offset between a CR and its LF counts as the end of its line.
  long ToEditorPosition(std::size_t offset) const;
  std::size_t ToDocumentOffset(long position) const;

  /// Groups a command's edits into one undo step for the lifetime of the object.
  class Command {
   public:
    explicit Command(EditorBuffer& buffer) : buffer_(buffer) { buffer_.BeginCommand(); }
    ~Command() { buffer_.EndCommand(); }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

   private:
    EditorBuffer& buffer_;
  };

 private:
  void OnModified(int position, int type, int length);
  void TakePendingInsert() const;
  void OpenUndoAction();
  void SetCaret(long anchor, long caret);
  void Replace(long from, long to, std::u16string_view with);
  void ReplaceBytes(long from, long to, const std::string& bytes);
  // Puts a whole new text of `bytes` in, piece by piece, without undo; `make_piece` appends
  // the editor's bytes of the piece between two of `ends` (units of the text put in).
  void Load(std::size_t bytes, const std::vector<std::size_t>& ends,
            const std::function<void(std::size_t, std::size_t, std::string&)>& make_piece);

  CodeEditor* edit_;
  int depth_ = 0;
  bool undo_open_ = false;  // the command's undo action has begun
  int own_edit_ = 0;        // > 0 while this buffer changes the text and keeps the copy itself
  mutable int full_reads_ = 0;
  // The text as the document sees it, read from the editor when first asked for and kept
  // current from the editor's change notices after that.
  mutable bool cache_valid_ = false;
  mutable std::u16string text_;
  // An insertion that was announced but whose text was not yet taken into the copy.
  struct PendingInsert {
    std::size_t offset;
    long position;
    std::size_t length;
  };
  mutable std::optional<PendingInsert> pending_insert_;
};

/// The UTF-8 form the editor holds of a text: lone CR and LF become CR LF, a lone surrogate
/// U+FFFD. Appended to out.
void AppendEditorText(std::u16string_view s, std::string& out);

/// Text with any line ends in the form of a Qt text widget: "\n" between lines.
QString ToPlainLines(std::u16string_view s);

}  // namespace quillan::gui
