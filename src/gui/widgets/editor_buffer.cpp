#include "gui/widgets/editor_buffer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "gui/widgets/code_editor.h"
#include "text/vb_string.h"

namespace quillan::gui {

namespace {

using Sci = QsciScintillaBase;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The same text with its line ends and lone surrogates as the editor holds them.
std::u16string Normalized(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == u'\r' || c == u'\n') {
      out += u"\r\n";
      if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else if (IsHigh(c) && i + 1 < s.size() && IsLow(s[i + 1])) {
      out += c;
      out += s[++i];
    } else if (IsHigh(c) || IsLow(c)) {
      out += u'\uFFFD';
    } else {
      out += c;
    }
  }
  return out;
}

// The number of UTF-8 bytes the editor's form of s takes.
std::size_t EditorBytes(std::u16string_view s) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c < 0x80) {
      bytes += (c == u'\r' || c == u'\n') ? 2 : 1;
      if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else if (c < 0x800) {
      bytes += 2;
    } else if (IsHigh(c) && i + 1 < s.size() && IsLow(s[i + 1])) {
      bytes += 4;
      ++i;
    } else {
      bytes += 3;
    }
  }
  return bytes;
}

}  // namespace

void AppendEditorText(std::u16string_view s, std::string& out) {
  text::AppendUtf8(Normalized(s), out);
}

QString ToPlainLines(std::u16string_view s) {
  QString out;
  out.reserve(static_cast<qsizetype>(s.size()));
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      out += QChar(u'\n');
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else {
      out += QChar(s[i]);
    }
  }
  return out;
}

EditorBuffer::EditorBuffer(CodeEditor* edit) : QObject(edit), edit_(edit) {
  connect(edit_, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
            OnModified(position, type, length);
          });
}

void EditorBuffer::TakePendingInsert() const {
  if (!pending_insert_) return;
  // The notice came before the insertion; the inserted bytes are in the editor now.
  const auto [offset, position, length] = *pending_insert_;
  pending_insert_.reset();
  const auto* bytes = reinterpret_cast<const char*>(edit_->Send(
      Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(position), static_cast<long>(length)));
  if (bytes == nullptr) {
    cache_valid_ = false;
    return;
  }
  text_.insert(offset, text::FromUtf8(std::string_view(bytes, length)));
}

const std::u16string& EditorBuffer::Text() const {
  TakePendingInsert();
  if (!cache_valid_) {
    ++full_reads_;
    const long length = edit_->Send(Sci::SCI_GETLENGTH);
    const auto* bytes = reinterpret_cast<const char*>(edit_->Send(Sci::SCI_GETCHARACTERPOINTER));
    text_ = text::FromUtf8(std::string_view(bytes, static_cast<std::size_t>(length)));
    cache_valid_ = true;
  }
  return text_;
}

std::size_t EditorBuffer::Length() const {
  TakePendingInsert();
  if (cache_valid_) return text_.size();
  return ToDocumentOffset(edit_->Send(Sci::SCI_GETLENGTH));
}

std::size_t EditorBuffer::ToDocumentOffset(long position) const {
  return edit_->OffsetOf(position);
}

long EditorBuffer::ToEditorPosition(std::size_t offset) const {
  const long position = edit_->PositionOf(std::min(offset, Length()));
  if (position > 0 &&
      edit_->Send(Sci::SCI_GETCHARAT, static_cast<unsigned long>(position)) == '\n' &&
      edit_->Send(Sci::SCI_GETCHARAT, static_cast<unsigned long>(position - 1)) == '\r') {
    return position - 1;
  }
  return position;
}

std::size_t EditorBuffer::SelStart() const {
  return ToDocumentOffset(
      std::min(edit_->Send(Sci::SCI_GETANCHOR), edit_->Send(Sci::SCI_GETCURRENTPOS)));
}

std::size_t EditorBuffer::SelLength() const {
  const long anchor = edit_->Send(Sci::SCI_GETANCHOR), caret = edit_->Send(Sci::SCI_GETCURRENTPOS);
  return ToDocumentOffset(std::max(anchor, caret)) - ToDocumentOffset(std::min(anchor, caret));
}

std::u16string EditorBuffer::SelText() const {
  const long anchor = edit_->Send(Sci::SCI_GETANCHOR), caret = edit_->Send(Sci::SCI_GETCURRENTPOS);
  const long from = std::min(anchor, caret), to = std::max(anchor, caret);
  const auto* bytes = reinterpret_cast<const char*>(
      edit_->Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
  if (bytes == nullptr) return {};
  return text::FromUtf8(std::string_view(bytes, static_cast<std::size_t>(to - from)));
}

void EditorBuffer::SetCaret(long anchor, long caret) {
  // Neither message scrolls; outside a command the caret is brought into view at once.
  edit_->Send(Sci::SCI_SETANCHOR, static_cast<unsigned long>(anchor));
  edit_->Send(Sci::SCI_SETCURRENTPOS, static_cast<unsigned long>(caret));
  if (depth_ == 0) edit_->Send(Sci::SCI_SCROLLCARET);
}

void EditorBuffer::SetSelStart(std::size_t pos) {
  const long position = ToEditorPosition(pos);
  SetCaret(position, position);
}

void EditorBuffer::SetSelLength(std::size_t n) {
  const std::size_t start = SelStart();
  SetCaret(ToEditorPosition(start), ToEditorPosition(start + n));
}

void EditorBuffer::Replace(long from, long to, std::u16string_view with) {
  std::string bytes;
  AppendEditorText(with, bytes);
  ReplaceBytes(from, to, bytes);
  const long end = from + static_cast<long>(bytes.size());
  SetCaret(end, end);
}

void EditorBuffer::ReplaceBytes(long from, long to, const std::string& bytes) {
  // A replacement is a deletion and an insertion: one undo step, in a command or alone.
  const bool alone = depth_ == 0;
  if (alone) {
    edit_->Send(Sci::SCI_BEGINUNDOACTION);
  } else {
    OpenUndoAction();
  }
  edit_->Send(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
  edit_->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<uintptr_t>(bytes.size()), bytes.data());
  if (alone) edit_->Send(Sci::SCI_ENDUNDOACTION);
}

void EditorBuffer::SetSelText(std::u16string_view s) {
  const long anchor = edit_->Send(Sci::SCI_GETANCHOR), caret = edit_->Send(Sci::SCI_GETCURRENTPOS);
  Replace(std::min(anchor, caret), std::max(anchor, caret), s);
}

void EditorBuffer::OnModified(int position, int type, int length) {
  TakePendingInsert();
  if (own_edit_ > 0 || !cache_valid_) return;
  // Typing, undo, a paste or a drop is about to change the text: the copy follows from the
  // changed range alone, measured before the change, while its offsets still map.
  if ((type & Sci::SC_MOD_BEFOREDELETE) != 0) {
    const std::size_t from = ToDocumentOffset(position);
    const std::size_t to = ToDocumentOffset(position + length);
    text_.erase(from, to - from);
  } else if ((type & Sci::SC_MOD_BEFOREINSERT) != 0) {
    // The notice does not carry the text: it is read once it is in.
    pending_insert_ =
        PendingInsert{ToDocumentOffset(position), position, static_cast<std::size_t>(length)};
  }
}

namespace {

// Where the pieces of a text of `size` units end: a small first piece, then pieces of
// kPieceUnits, each end moved back while `splits` says it would cut a line end or a
// character in two.
template <typename Splits>
std::vector<std::size_t> PieceEnds(std::size_t size, Splits splits) {
  std::vector<std::size_t> ends;
  for (std::size_t at = 0; at < size;) {
    std::size_t end = std::min(
        size, at + (ends.empty() ? EditorBuffer::kFirstPieceUnits : EditorBuffer::kPieceUnits));
    while (end < size && end > at + 1 && splits(end)) --end;
    ends.push_back(end);
    at = end;
  }
  return ends;
}

}  // namespace

void EditorBuffer::SetText(std::u16string_view s) {
  const auto ends = PieceEnds(
      s.size(), [s](std::size_t end) { return s[end - 1] == u'\r' || IsHigh(s[end - 1]); });
  Load(EditorBytes(s), ends, [s](std::size_t from, std::size_t to, std::string& piece) {
    AppendEditorText(s.substr(from, to - from), piece);
  });
}

namespace {

std::vector<std::size_t> Utf8PieceEnds(std::string_view utf8) {
  return PieceEnds(utf8.size(), [utf8](std::size_t end) {
    return utf8[end - 1] == '\r' || (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80;
  });
}

// Gives the memory pages wholly inside [from, to) back to the system; what they held is
// gone, and they must not be read again before the memory is freed.
void ReleasePages(char* from, char* to) {
#if defined(__unix__)
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(from) + page - 1) & ~(page - 1);
  const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(to) & ~(page - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
#else
  (void)from;
  (void)to;
#endif
}

}  // namespace

void EditorBuffer::SetTextUtf8(std::string_view utf8) {
  Load(utf8.size(), Utf8PieceEnds(utf8),
       [utf8](std::size_t from, std::size_t to, std::string& piece) {
         piece.assign(utf8.substr(from, to - from));
       });
}

void EditorBuffer::TakeTextUtf8(std::string&& utf8) {
  // The pieces go in from the end, and the memory of each is given back once it is in.
  Load(utf8.size(), Utf8PieceEnds(utf8),
       [&utf8](std::size_t from, std::size_t to, std::string& piece) {
         piece.assign(utf8, from, to - from);
         ReleasePages(utf8.data() + from, utf8.data() + utf8.size());
       });
  std::string().swap(utf8);
}

void EditorBuffer::Load(
    std::size_t bytes, const std::vector<std::size_t>& ends,
    const std::function<void(std::size_t, std::size_t, std::string&)>& make_piece) {
  ++own_edit_;
  edit_->SetBulk(true);
  edit_->Send(Sci::SCI_SETUNDOCOLLECTION, 0);
  edit_->Send(Sci::SCI_CLEARALL);
  edit_->Send(Sci::SCI_SETLINESTATE, 0, 0);
  // Room for all of it at once, and for typing after it: growing the editor's buffers on
  // the way, or at the first key, would copy them whole.
  edit_->Send(Sci::SCI_ALLOCATE, bytes + kTypingRoom);
  // The pieces go in last first, each at the start. The editor keeps its text on both sides
  // of one gap, which every insertion moves to where it inserts; so the gap ends up after
  // the small first piece, at the caret, and the first key moves a few kilobytes, not the
  // whole text.
  std::string piece;
  for (std::size_t i = ends.size(); i-- > 0;) {
    piece.clear();
    make_piece(i == 0 ? 0 : ends[i - 1], ends[i], piece);
    edit_->Send(Sci::SCI_SETTARGETRANGE, 0, 0);
    edit_->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<uintptr_t>(piece.size()),
                         piece.data());
  }
  edit_->Send(Sci::SCI_SETUNDOCOLLECTION, 1);
  edit_->Send(Sci::SCI_EMPTYUNDOBUFFER);
  edit_->SetBulk(false);
  --own_edit_;
  pending_insert_.reset();
  cache_valid_ = false;
  text_ = std::u16string();
  SetCaret(0, 0);
}

void EditorBuffer::ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                                 std::u16string_view with) {
  if (starts.empty()) return;
  // One replacement of the whole text, built in one pass: one undo step, and far faster
  // than as many edits as there are occurrences.
  std::u16string replaced = text::ReplacedRanges(Text(), starts, length, Normalized(with));
  std::string bytes;
  text::AppendUtf8(replaced, bytes);
  ++own_edit_;
  ReplaceBytes(0, edit_->Send(Sci::SCI_GETLENGTH), bytes);
  --own_edit_;
  text_ = std::move(replaced);
  cache_valid_ = true;
  SetCaret(0, 0);
}

void EditorBuffer::BeginCommand() {
  if (depth_++ == 0) undo_open_ = false;
}

void EditorBuffer::OpenUndoAction() {
  // The action opens with the first change, so that a command that changed nothing leaves
  // no trace in the undo history.
  if (depth_ > 0 && !undo_open_) {
    edit_->Send(Sci::SCI_BEGINUNDOACTION);
    undo_open_ = true;
  }
}

void EditorBuffer::EndCommand() {
  if (--depth_ == 0) {
    if (undo_open_) edit_->Send(Sci::SCI_ENDUNDOACTION);
    undo_open_ = false;
    edit_->Send(Sci::SCI_SCROLLCARET);
  }
}

}  // namespace quillan::gui
