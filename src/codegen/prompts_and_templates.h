#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/prompter.h"

namespace quillan::codegen {

// What every generator shares: its prompts, and the expansion of its code templates. A
// template is generated text in which "{c}", one character in braces, stands for a value:
// "{1}" and "{2}" for the first and second answers typed at the prompts, "{V}" for the handle
// variable chosen in the Select Variable dialog. Visual Basic text never contains braces.

/// One input box: its prompt and the answer the field starts with.
struct PromptSpec {
  std::u16string_view text;
  std::u16string_view default_answer;
};

/// Shows the prompts in order; nullopt as soon as one is cancelled or answered empty.
std::optional<std::vector<std::u16string>> AskAll(ui::Prompter& prompter,
                                                  std::span<const PromptSpec> prompts);

/// The value of one placeholder "{name}".
struct Placeholder {
  char16_t name;
  std::u16string_view value;
};

/// The answers as the placeholders "{1}", "{2}", ... in order.
std::vector<Placeholder> AnswerPlaceholders(std::span<const std::u16string> answers);

/// The pieces joined, each placeholder replaced by its value exactly as given; a placeholder
/// without a value is dropped.
std::u16string ExpandTemplate(std::span<const std::u16string_view> pieces,
                              std::span<const Placeholder> values);

}  // namespace quillan::codegen
