#include "text/string_code_buffer.h"

#include <algorithm>

#include "text/vb_string.h"

namespace quillan::text {

StringCodeBuffer::StringCodeBuffer(std::u16string text, std::size_t caret)
    : text_(std::move(text)), sel_start_(std::min(caret, text_.size())) {}

std::u16string StringCodeBuffer::SelText() const { return text_.substr(sel_start_, sel_length_); }

void StringCodeBuffer::SetSelStart(std::size_t pos) {
  sel_start_ = std::min(pos, text_.size());
  sel_length_ = 0;
}

void StringCodeBuffer::SetSelLength(std::size_t n) {
  sel_length_ = std::min(n, text_.size() - sel_start_);
}

void StringCodeBuffer::SetSelText(std::u16string_view s) {
  text_.replace(sel_start_, sel_length_, s);
  sel_start_ += s.size();
  sel_length_ = 0;
  Changed();
}

void StringCodeBuffer::SetText(std::u16string_view s) {
  text_.assign(s);
  sel_start_ = 0;
  sel_length_ = 0;
  Changed();
}

void StringCodeBuffer::ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                                     std::u16string_view with) {
  if (starts.empty()) return;
  text_ = ReplacedRanges(text_, starts, length, with);
  sel_start_ = 0;
  sel_length_ = 0;
  Changed();
}

std::u16string ReplacedRanges(std::u16string_view text, std::span<const std::size_t> starts,
                              std::size_t length, std::u16string_view with) {
  std::u16string out;
  out.reserve(text.size() - starts.size() * length + starts.size() * with.size());
  std::size_t copied_up_to = 0;
  for (std::size_t at : starts) {
    out.append(text.substr(copied_up_to, at - copied_up_to));
    out.append(with);
    copied_up_to = at + length;
  }
  out.append(text.substr(copied_up_to));
  return out;
}

void StringCodeBuffer::Changed() {
  ++change_count_;
  if (on_change_) on_change_();
}

}  // namespace quillan::text

namespace quillan::text {

namespace {

// Lines of a piece of text: the length of its first line, of its longest whole line inside,
// and of its last line, and whether it holds a line end at all.
struct Lines {
  std::size_t first = 0, longest = 0, last = 0;
  bool broken = false;
};

Lines LinesOf(std::u16string_view s) {
  Lines lines;
  std::size_t run = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r' || s[i] == u'\n') {
      if (!lines.broken) lines.first = run;
      lines.longest = std::max(lines.longest, run);
      lines.broken = true;
      run = 0;
      if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else {
      ++run;
    }
  }
  if (!lines.broken) lines.first = run;
  lines.last = run;
  lines.longest = std::max(lines.longest, run);
  return lines;
}

}  // namespace

std::size_t LongestLine(std::u16string_view text) { return LinesOf(text).longest; }

std::size_t LongestLineUtf8(std::string_view utf8) {
  std::size_t longest = 0, run = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b == '\r' || b == '\n') {
      longest = std::max(longest, run);
      run = 0;
    } else if ((b & 0xC0) != 0x80) {
      run += b >= 0xF0 ? 2 : 1;  // four bytes are a surrogate pair
    }
  }
  return std::max(longest, run);
}

void CodeBuffer::SetTextUtf8(std::string_view utf8) { SetText(FromUtf8(utf8)); }

std::size_t LongestLineAfterReplacing(std::u16string_view text, std::span<const std::size_t> starts,
                                      std::size_t length, std::u16string_view with) {
  const Lines inserted = LinesOf(with);
  std::size_t longest = 0, current = 0, at = 0;
  // Adds a piece to the line being built: it lengthens the current line until its first
  // line end, and each later line starts afresh.
  auto add = [&](const Lines& piece) {
    if (!piece.broken) {
      current += piece.first;
      return;
    }
    longest = std::max({longest, current + piece.first, piece.longest});
    current = piece.last;
  };
  for (std::size_t start : starts) {
    add(LinesOf(text.substr(at, start - at)));
    add(inserted);
    at = start + length;
  }
  add(LinesOf(text.substr(std::min(at, text.size()))));
  return std::max(longest, current);
}

}  // namespace quillan::text
