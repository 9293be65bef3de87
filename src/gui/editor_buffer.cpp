#include "gui/editor_buffer.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "gui/qt_convert.h"

namespace quillan::gui {

QString ToEditorText(std::u16string_view s) {
  QString out(static_cast<qsizetype>(s.size()), Qt::Uninitialized);
  auto* dst = reinterpret_cast<char16_t*>(out.data());
  char16_t* const begin = dst;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == u'\r') {
      *dst++ = u'\n';
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else {
      *dst++ = c;
    }
  }
  out.truncate(static_cast<qsizetype>(dst - begin));
  return out;
}

namespace {

// Editor text (paragraph separators) to document text (CR LF).
std::u16string ToDocumentText(const QString& s) {
  std::u16string out;
  out.reserve(static_cast<std::size_t>(s.size()) + static_cast<std::size_t>(s.size()) / 16);
  const auto* data = reinterpret_cast<const char16_t*>(s.utf16());
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t c = data[i];
    if (c == 0x2029 || c == u'\n') {
      out += u"\r\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

EditorBuffer::EditorBuffer(QPlainTextEdit* edit) : QObject(edit), edit_(edit) {
  connect(edit_->document(), &QTextDocument::contentsChange, this, &EditorBuffer::OnContentsChange);
  load_timer_ = new QTimer(this);
  load_timer_->setInterval(0);
  connect(load_timer_, &QTimer::timeout, this, [this] { AppendPendingChunk(kChunkChars); });
  edit_->installEventFilter(this);
  edit_->viewport()->installEventFilter(this);
}

bool EditorBuffer::eventFilter(QObject* watched, QEvent* event) {
  if (loading_) {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::ShortcutOverride:
      case QEvent::InputMethod:
      case QEvent::Drop:
      case QEvent::ContextMenu:
        // The user is about to change the text: it must all be there first.
        CompleteLoad();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

void EditorBuffer::AppendPendingChunk(qsizetype max_chars) {
  if (!loading_) return;
  qsizetype end = std::min(pending_.size(), pending_pos_ + max_chars);
  if (end < pending_.size()) {
    // End the chunk at a line break, so that no line is laid out twice.
    const qsizetype cut = pending_.lastIndexOf(QChar(u'\n'), end);
    if (cut > pending_pos_) end = cut;
  }
  QTextCursor tail(edit_->document());
  tail.movePosition(QTextCursor::End);
  tail.insertText(QStringView(pending_).mid(pending_pos_, end - pending_pos_).toString());
  pending_pos_ = end;
  if (pending_pos_ < pending_.size()) return;
  load_timer_->stop();
  pending_ = QString();
  pending_pos_ = 0;
  edit_->document()->setUndoRedoEnabled(true);
  loading_ = false;
#ifdef __GLIBC__
  // Loading in chunks leaves the heap full of freed blocks; hand them back to the system.
  malloc_trim(0);
#endif
  emit LoadFinished();
}

void EditorBuffer::CompleteLoad() {
  if (loading_) AppendPendingChunk(pending_.size());
}

void EditorBuffer::EnsureCache() const {
  if (cache_valid_) return;
  ++full_reads_;
  text_ = ToDocumentText(edit_->document()->toRawText());
  IndexLines();
  cache_valid_ = true;
}

void EditorBuffer::IndexLines() const {
  line_starts_.assign(1, 0);
  for (std::size_t i = 0; i + 1 < text_.size(); ++i) {
    if (text_[i] == u'\r' && text_[i + 1] == u'\n') line_starts_.push_back(i + 2);
  }
}

const std::u16string& EditorBuffer::Text() const {
  const_cast<EditorBuffer*>(this)->CompleteLoad();
  EnsureCache();
  return text_;
}

std::size_t EditorBuffer::Length() const {
  const_cast<EditorBuffer*>(this)->CompleteLoad();
  const QTextDocument* doc = edit_->document();
  // Each paragraph break is one position in Qt and two characters (CR LF) here.
  return static_cast<std::size_t>(doc->characterCount() - 1) +
         static_cast<std::size_t>(doc->blockCount() - 1);
}

int EditorBuffer::ToEditorPosition(std::size_t offset) const {
  const_cast<EditorBuffer*>(this)->CompleteLoad();
  EnsureCache();
  offset = std::min(offset, text_.size());
  // The line holding the offset: the last line start at or before it.
  auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  const auto line = static_cast<std::size_t>(it - line_starts_.begin()) - 1;
  // An offset between CR and LF counts as the end of its line.
  if (offset > 0 && offset < text_.size() && text_[offset] == u'\n' && text_[offset - 1] == u'\r') {
    --offset;
  }
  return static_cast<int>(offset - line);
}

std::size_t EditorBuffer::ToDocumentOffset(int position) const {
  const QTextBlock block = edit_->document()->findBlock(position);
  return static_cast<std::size_t>(position) + static_cast<std::size_t>(block.blockNumber());
}

QTextCursor EditorBuffer::Cursor() const { return depth_ > 0 ? work_ : edit_->textCursor(); }

void EditorBuffer::Apply(const QTextCursor& cursor) {
  if (depth_ > 0) {
    work_ = cursor;
  } else {
    edit_->setTextCursor(cursor);
  }
}

std::size_t EditorBuffer::SelStart() const {
  const_cast<EditorBuffer*>(this)->CompleteLoad();
  return ToDocumentOffset(Cursor().selectionStart());
}

std::size_t EditorBuffer::SelLength() const {
  const_cast<EditorBuffer*>(this)->CompleteLoad();
  const QTextCursor c = Cursor();
  return ToDocumentOffset(c.selectionEnd()) - ToDocumentOffset(c.selectionStart());
}

std::u16string EditorBuffer::SelText() const {
  const_cast<EditorBuffer*>(this)->CompleteLoad();
  return ToDocumentText(Cursor().selectedText());
}

void EditorBuffer::SetSelStart(std::size_t pos) {
  CompleteLoad();
  QTextCursor c = Cursor();
  c.setPosition(ToEditorPosition(pos));
  Apply(c);
}

void EditorBuffer::SetSelLength(std::size_t n) {
  CompleteLoad();
  QTextCursor c = Cursor();
  const std::size_t start = ToDocumentOffset(c.selectionStart());
  c.setPosition(c.selectionStart());
  c.setPosition(ToEditorPosition(start + n), QTextCursor::KeepAnchor);
  Apply(c);
}

void EditorBuffer::SetSelText(std::u16string_view s) {
  CompleteLoad();
  OpenEditBlock();
  QTextCursor c = Cursor();
  const bool had_cache = cache_valid_;
  const std::size_t start = had_cache ? ToDocumentOffset(c.selectionStart()) : 0;
  const std::size_t removed = had_cache ? ToDocumentOffset(c.selectionEnd()) - start : 0;
  const QString inserted = ToEditorText(s);
  ++own_edit_;
  c.insertText(inserted);
  --own_edit_;
  c.clearSelection();
  Apply(c);
  // Inside a command the document reports its changes only when the command ends, so the
  // copy of the text is brought up to date here: the next test of the same command must see
  // what was just inserted.
  if (had_cache) {
    UpdateCache(start, removed, ToDocumentText(inserted));
  } else {
    cache_valid_ = false;
  }
}

std::optional<std::size_t> EditorBuffer::CachedOffset(int position) const {
  // Line i starts at editor position line_starts_[i] - i: each earlier line break is one
  // position there and two characters here.
  std::size_t lo = 0, hi = line_starts_.size();
  while (hi - lo > 1) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (line_starts_[mid] - mid <= static_cast<std::size_t>(position)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  const std::size_t offset = static_cast<std::size_t>(position) + lo;
  if (position < 0 || offset > text_.size()) return std::nullopt;
  return offset;
}

void EditorBuffer::OnContentsChange(int position, int removed, int added) {
  if (own_edit_ > 0) return;  // our own edits keep the copy current themselves
  if (!cache_valid_ || loading_) {
    cache_valid_ = false;
    return;
  }
  // Someone else changed the text (typing, undo, a dialog's own cursor): bring the copy up to
  // date from the changed range alone instead of reading the whole text again.
  const auto start = CachedOffset(position);
  const auto end = CachedOffset(position + removed);
  const int editor_length = edit_->document()->characterCount() - 1;
  if (!start || !end || *end < *start || position + added > editor_length) {
    cache_valid_ = false;
    return;
  }
  QTextCursor range(edit_->document());
  range.setPosition(position);
  range.setPosition(position + added, QTextCursor::KeepAnchor);
  UpdateCache(*start, *end - *start, ToDocumentText(range.selectedText()));
  if (text_.size() != Length()) cache_valid_ = false;
}

void EditorBuffer::UpdateCache(std::size_t start, std::size_t removed,
                               const std::u16string& inserted) {
  text_.replace(start, removed, inserted);
  // Line starts after the edited range move by the size difference; those inside it are
  // replaced by the line starts of the new text.
  auto first = std::upper_bound(line_starts_.begin(), line_starts_.end(), start);
  auto last = std::upper_bound(first, line_starts_.end(), start + removed);
  const auto delta =
      static_cast<std::ptrdiff_t>(inserted.size()) - static_cast<std::ptrdiff_t>(removed);
  for (auto it = last; it != line_starts_.end(); ++it) {
    *it = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*it) + delta);
  }
  std::vector<std::size_t> fresh;
  for (std::size_t i = 0; i + 1 < inserted.size(); ++i) {
    if (inserted[i] == u'\r' && inserted[i + 1] == u'\n') fresh.push_back(start + i + 2);
  }
  const auto at = line_starts_.erase(first, last);
  line_starts_.insert(at, fresh.begin(), fresh.end());
  cache_valid_ = true;
}

void EditorBuffer::SetText(std::u16string_view s) {
  // A new text replaces whatever part of an earlier one was still pending.
  load_timer_->stop();
  pending_ = QString();
  if (loading_) {
    loading_ = false;
    edit_->document()->setUndoRedoEnabled(true);
  }
  QString text = ToEditorText(s);
  if (text.size() > kFirstPartChars) {
    qsizetype cut = text.lastIndexOf(QChar(u'\n'), kFirstPartChars);
    if (cut <= 0) cut = kFirstPartChars;
    loading_ = true;
    edit_->document()->setUndoRedoEnabled(false);
    ++own_edit_;
    edit_->setPlainText(text.left(cut));
    --own_edit_;
    pending_ = std::move(text);
    pending_pos_ = cut;
    load_timer_->start();
  } else {
    ++own_edit_;
    edit_->setPlainText(text);
    --own_edit_;
  }
  cache_valid_ = false;
  QTextCursor c = edit_->textCursor();
  c.movePosition(QTextCursor::Start);
  if (depth_ > 0) {
    work_ = c;
  } else {
    edit_->setTextCursor(c);
  }
}

void EditorBuffer::ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                                 std::u16string_view with) {
  CompleteLoad();
  if (starts.empty()) return;
  std::vector<std::pair<int, int>> ranges;
  ranges.reserve(starts.size());
  for (std::size_t at : starts) {
    ranges.emplace_back(ToEditorPosition(at), ToEditorPosition(at + length));
  }
  // Each occurrence is replaced where it stands, from the last to the first so that the
  // positions still to come stay valid, in one edit block (one undo step). Lines without an
  // occurrence are not touched, so the work follows the number of occurrences.
  const QString replacement = ToEditorText(with);
  QTextCursor cursor(edit_->document());
  ++own_edit_;
  cursor.beginEditBlock();
  for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
    cursor.setPosition(range->first);
    cursor.setPosition(range->second, QTextCursor::KeepAnchor);
    cursor.insertText(replacement);
  }
  cursor.endEditBlock();
  --own_edit_;
  // The copy of the text follows in one pass, inside a command as outside, with the line
  // ends the editor made of the replacement.
  text_ = text::ReplacedRanges(text_, starts, length, ToDocumentText(replacement));
  IndexLines();
  cursor.setPosition(0);
  Apply(cursor);
}

void EditorBuffer::BeginCommand() {
  if (depth_++ == 0) {
    work_ = edit_->textCursor();
    block_open_ = false;
  }
}

void EditorBuffer::OpenEditBlock() {
  // The block opens with the first change: an empty block would still report a change of
  // the text, and a command that changed nothing must leave the document unmodified.
  if (depth_ > 0 && !block_open_) {
    work_.beginEditBlock();
    block_open_ = true;
  }
}

void EditorBuffer::EndCommand() {
  if (--depth_ == 0) {
    if (block_open_) {
      // The document now reports the command's changes at once; the copy has them already.
      ++own_edit_;
      work_.endEditBlock();
      --own_edit_;
    }
    block_open_ = false;
    edit_->setTextCursor(work_);
    edit_->ensureCursorVisible();
  }
}

}  // namespace quillan::gui
