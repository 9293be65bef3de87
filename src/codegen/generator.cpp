#include "codegen/generator.h"

namespace quillan::codegen {

std::optional<std::vector<std::u16string>> AskAll(text::Prompter& prompter,
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

std::u16string ExpandTemplate(std::span<const std::u16string_view> pieces,
                              std::span<const std::u16string> answers) {
  std::u16string out;
  for (std::u16string_view piece : pieces) {
    // Answers are appended, never scanned, so braces typed by the user stay as they are.
    for (std::size_t i = 0; i < piece.size(); ++i) {
      if (piece[i] == u'{' && i + 2 < piece.size() && piece[i + 2] == u'}' &&
          piece[i + 1] >= u'1' && piece[i + 1] <= u'2') {
        const auto index = static_cast<std::size_t>(piece[i + 1] - u'1');
        if (index < answers.size()) out.append(answers[index]);
        i += 2;
      } else {
        out.push_back(piece[i]);
      }
    }
  }
  return out;
}

}  // namespace quillan::codegen
