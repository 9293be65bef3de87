#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/prompter.h"

namespace quillan::codegen {

// What the statement inserts and the presets share: their prompts and the expansion of their
// code templates. Templates are the generated text with "{1}" and "{2}" standing for the
// first and second answers; Visual Basic text never contains braces.

/// One input box: its prompt and the answer the field starts with.
struct PromptSpec {
  std::u16string_view text;
  std::u16string_view default_answer;
};

/// Shows the prompts in order; nullopt as soon as one is cancelled or answered empty.
std::optional<std::vector<std::u16string>> AskAll(text::Prompter& prompter,
                                                  std::span<const PromptSpec> prompts);

/// The pieces joined, "{1}" and "{2}" replaced by the answers exactly as typed.
std::u16string ExpandTemplate(std::span<const std::u16string_view> pieces,
                              std::span<const std::u16string> answers);

}  // namespace quillan::codegen
