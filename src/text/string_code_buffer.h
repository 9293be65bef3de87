#pragma once

#include <functional>
#include <string>

#include "text/code_buffer.h"

namespace quillan::text {

/// A `CodeBuffer` over a plain string, used by the logic, the tests and the benchmarks.
class StringCodeBuffer final : public CodeBuffer {
 public:
  StringCodeBuffer() = default;
  explicit StringCodeBuffer(std::u16string text, std::size_t caret = 0);

  const std::u16string& Text() const override { return text_; }
  std::size_t Length() const override { return text_.size(); }
  std::size_t SelStart() const override { return sel_start_; }
  std::size_t SelLength() const override { return sel_length_; }
  std::u16string SelText() const override;
  void SetSelStart(std::size_t pos) override;
  void SetSelLength(std::size_t n) override;
  void SetSelText(std::u16string_view s) override;
  void SetText(std::u16string_view s) override;
  void ReplaceRanges(std::span<const std::size_t> starts, std::size_t length,
                     std::u16string_view with) override;

  /// Called after every change of the text (the editor's change event).
  void SetChangeListener(std::function<void()> listener) { on_change_ = std::move(listener); }
  /// Number of changes made since construction.
  int change_count() const { return change_count_; }

 private:
  void Changed();

  std::u16string text_;
  std::size_t sel_start_ = 0;
  std::size_t sel_length_ = 0;
  int change_count_ = 0;
  std::function<void()> on_change_;
};

}  // namespace quillan::text
