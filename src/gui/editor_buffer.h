#pragma once

#include <QObject>
#include <QTextCursor>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "text/code_buffer.h"

class QPlainTextEdit;

namespace quillan::gui {

/// The `CodeBuffer` over the editor widget. Qt keeps paragraphs; the document sees CR LF
/// line ends, so every position is converted (a CR LF counts two characters here, one there).
///
/// Between `BeginCommand` and `EndCommand` all edits form one undo step and the editor's
/// visible caret is updated once at the end.
class EditorBuffer final : public QObject, public text::CodeBuffer {
  Q_OBJECT

 public:
  explicit EditorBuffer(QPlainTextEdit* edit);

  const std::u16string& Text() const override;
  std::size_t Length() const override;
  std::size_t SelStart() const override;
  std::size_t SelLength() const override;
  std::u16string SelText() const override;
  void SetSelStart(std::size_t pos) override;
  void SetSelLength(std::size_t n) override;
  void SetSelText(std::u16string_view s) override;
  void SetText(std::u16string_view s) override;
  void ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                     std::u16string_view with) override;

  void BeginCommand();
  void EndCommand();

  /// True while a large text set by `SetText` is still being added to the editor in the
  /// background. Its first screenful is shown at once; every access through this buffer, and
  /// every key press or drop in the editor, first completes the load.
  bool loading() const { return loading_; }
  /// How often the whole text was read from the editor (edits update the copy in place).
  int full_reads() const { return full_reads_; }

  /// Adds whatever part of the text is still pending, at once.
  void CompleteLoad();

  /// Converts between document offsets (CR LF = 2) and editor positions (break = 1).
  int ToEditorPosition(std::size_t offset) const;
  std::size_t ToDocumentOffset(int position) const;

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
  QTextCursor Cursor() const;
  void Apply(const QTextCursor& cursor);
  void EnsureCache() const;
  void IndexLines() const;
  void UpdateCache(std::size_t start, std::size_t removed, const std::u16string& inserted);
  std::optional<std::size_t> CachedOffset(int position) const;
  void OnContentsChange(int position, int removed, int added);
  void AppendPendingChunk(qsizetype max_chars);
  void OpenEditBlock();
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  /// The whole text is in the editor.
  void LoadFinished();

 private:
  // Text longer than this is shown in parts: the first part at once, the rest in chunks
  // added from the event loop, so that a large project appears without waiting for all of it.
  static constexpr qsizetype kFirstPartChars = 64 * 1024;
  static constexpr qsizetype kChunkChars = 1024 * 1024;

  QPlainTextEdit* edit_;
  int depth_ = 0;
  bool block_open_ = false;  // the command's edit block has begun
  int own_edit_ = 0;         // > 0 while this buffer itself changes the document
  mutable int full_reads_ = 0;
  QTextCursor work_;  // the caret while a command runs
  mutable bool cache_valid_ = false;
  mutable std::u16string text_;
  mutable std::vector<std::size_t> line_starts_;  // document offset of each line's start
  bool loading_ = false;
  QString pending_;  // editor text still to add while loading
  qsizetype pending_pos_ = 0;
  QTimer* load_timer_ = nullptr;
};

/// Converts text with any line ends to the editor's form ("\n" between paragraphs).
QString ToEditorText(std::u16string_view s);

}  // namespace quillan::gui
