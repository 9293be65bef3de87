#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"
#include "settings/settings_store.h"
#include "support/recorders.h"
#include "text/string_code_buffer.h"
#include "ui/prompter.h"

namespace quillan::codegen::testing {

/// Marks the caret in expected texts.
inline constexpr char16_t kCaret = u'‸';

/// A text with one caret marker -> the text without it and the caret offset (0 if none).
inline std::pair<std::u16string, std::size_t> Unmark(std::u16string_view marked) {
  std::u16string text(marked);
  const std::size_t caret = text.find(kCaret);
  if (caret == std::u16string::npos) return {text, 0};
  text.erase(caret, 1);
  return {text, caret};
}

/// The buffer's text with the caret marker inserted at the caret.
inline std::u16string Marked(const text::CodeBuffer& buffer) {
  std::u16string text = buffer.Text();
  text.insert(buffer.SelStart(), 1, kCaret);
  return text;
}

using testing_support::kAcceptDefault;
using ScriptPrompter = testing_support::ScriptedPrompter;

/// Everything a generator takes, with the option on unless the store says otherwise.
struct Env {
  explicit Env(std::u16string_view marked_text) {
    auto [text, caret] = Unmark(marked_text);
    buffer.SetText(text);
    buffer.SetSelStart(caret);
    base_changes = buffer.change_count();
  }
  bool Modified() const { return buffer.change_count() > base_changes; }

  text::StringCodeBuffer buffer;
  ScriptPrompter prompter;
  settings::MemorySettingsStore store;
  InsertDeclarations declarations{store};
  int finished = 0;  ///< how many runs ended with `FinishInsertion`
  int base_changes = 0;
};

}  // namespace quillan::codegen::testing
