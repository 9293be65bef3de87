#include "codegen/prompts_and_templates.h"

#include <algorithm>

namespace quillan::codegen {

std::optional<std::vector<std::u16string>> AskAll(ui::Prompter& prompter,
                                                  std::span<const PromptSpec> prompts) {
  std::vector<std::u16string> answers;
  answers.reserve(prompts.size());
  for (const PromptSpec& prompt : prompts) {
    std::optional<std::u16string> answer = prompter.Ask(prompt.text, prompt.default_answer);
    if (!answer || answer->empty()) return std::nullopt;
    answers.push_back(std::move(*answer));
  }
  return answers;
}

std::vector<Placeholder> AnswerPlaceholders(std::span<const std::u16string> answers) {
  std::vector<Placeholder> values;
  values.reserve(answers.size());
  for (std::size_t i = 0; i < answers.size() && i < 9; ++i) {
    values.push_back({static_cast<char16_t>(u'1' + i), answers[i]});
  }
  return values;
}

std::u16string ExpandTemplate(std::span<const std::u16string_view> pieces,
                              std::span<const Placeholder> values) {
  std::u16string out;
  for (std::u16string_view piece : pieces) {
    // Values are appended, never scanned, so braces typed by the user stay as they are.
    for (std::size_t i = 0; i < piece.size(); ++i) {
      if (piece[i] == u'{' && i + 2 < piece.size() && piece[i + 2] == u'}' &&
          piece[i + 1] != u'{') {
        const char16_t name = piece[i + 1];
        const auto it = std::find_if(values.begin(), values.end(),
                                     [name](const Placeholder& p) { return p.name == name; });
        if (it != values.end()) out.append(it->value);
        i += 2;
      } else {
        out.push_back(piece[i]);
      }
    }
  }
  return out;
}

}  // namespace quillan::codegen
