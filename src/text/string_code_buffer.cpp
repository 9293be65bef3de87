#include "text/string_code_buffer.h"

#include <algorithm>

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
