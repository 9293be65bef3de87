#include "gui/editor_buffer.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

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
  connect(edit_->document(), &QTextDocument::contentsChange, this,
          [this](int, int, int) { cache_valid_ = false; });
}

void EditorBuffer::EnsureCache() const {
  if (cache_valid_) return;
  text_ = ToDocumentText(edit_->document()->toRawText());
  line_starts_.clear();
  line_starts_.push_back(0);
  for (std::size_t i = 0; i + 1 < text_.size(); ++i) {
    if (text_[i] == u'\r' && text_[i + 1] == u'\n') line_starts_.push_back(i + 2);
  }
  cache_valid_ = true;
}

const std::u16string& EditorBuffer::Text() const {
  EnsureCache();
  return text_;
}

std::size_t EditorBuffer::Length() const {
  const QTextDocument* doc = edit_->document();
  // Each paragraph break is one position in Qt and two characters (CR LF) here.
  return static_cast<std::size_t>(doc->characterCount() - 1) +
         static_cast<std::size_t>(doc->blockCount() - 1);
}

int EditorBuffer::ToEditorPosition(std::size_t offset) const {
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

std::size_t EditorBuffer::SelStart() const { return ToDocumentOffset(Cursor().selectionStart()); }

std::size_t EditorBuffer::SelLength() const {
  const QTextCursor c = Cursor();
  return ToDocumentOffset(c.selectionEnd()) - ToDocumentOffset(c.selectionStart());
}

std::u16string EditorBuffer::SelText() const { return ToDocumentText(Cursor().selectedText()); }

void EditorBuffer::SetSelStart(std::size_t pos) {
  QTextCursor c = Cursor();
  c.setPosition(ToEditorPosition(pos));
  Apply(c);
}

void EditorBuffer::SetSelLength(std::size_t n) {
  QTextCursor c = Cursor();
  const std::size_t start = ToDocumentOffset(c.selectionStart());
  c.setPosition(c.selectionStart());
  c.setPosition(ToEditorPosition(start + n), QTextCursor::KeepAnchor);
  Apply(c);
}

void EditorBuffer::SetSelText(std::u16string_view s) {
  QTextCursor c = Cursor();
  c.insertText(ToEditorText(s));
  c.clearSelection();
  Apply(c);
}

void EditorBuffer::SetText(std::u16string_view s) {
  edit_->setPlainText(ToEditorText(s));
  QTextCursor c = edit_->textCursor();
  c.movePosition(QTextCursor::Start);
  if (depth_ > 0) {
    work_ = c;
  } else {
    edit_->setTextCursor(c);
  }
}

void EditorBuffer::BeginCommand() {
  if (depth_++ == 0) {
    work_ = edit_->textCursor();
    work_.beginEditBlock();
  }
}

void EditorBuffer::EndCommand() {
  if (--depth_ == 0) {
    work_.endEditBlock();
    edit_->setTextCursor(work_);
    edit_->ensureCursorVisible();
  }
}

}  // namespace quillan::gui
