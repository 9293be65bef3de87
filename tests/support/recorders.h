#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "document/file_ports.h"
#include "ui/messenger.h"
#include "ui/prompter.h"

namespace quillan::testing_support {

/// Records every message box and answers from a script (OK when the script is empty).
struct RecordingMessenger : ui::Messenger {
  struct Shown {
    std::u16string text;
    ui::MessageIcon icon;
    ui::MessageButtons buttons;
    std::u16string title;
  };
  std::vector<Shown> shown;
  std::deque<ui::MessageAnswer> answers;

  ui::MessageAnswer Show(std::u16string_view t, ui::MessageIcon icon, ui::MessageButtons buttons,
                         std::u16string_view title) override {
    shown.push_back({std::u16string(t), icon, buttons, std::u16string(title)});
    if (answers.empty()) return ui::MessageAnswer::kOk;
    const ui::MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
};

/// Answers given as this accept whatever the input box proposes.
inline const std::u16string kAcceptDefault = u"<default>";

/// Answers input boxes from a script; nullopt, an empty answer or an exhausted script is
/// Cancel. Records each prompt and its default.
struct ScriptedPrompter : ui::Prompter {
  std::deque<std::optional<std::u16string>> script;
  std::vector<std::pair<std::u16string, std::u16string>> asked;

  std::optional<std::u16string> Ask(std::u16string_view prompt,
                                    std::u16string_view default_answer) override {
    asked.emplace_back(prompt, default_answer);
    if (script.empty()) return std::nullopt;
    std::optional<std::u16string> answer = script.front();
    script.pop_front();
    if (answer == kAcceptDefault) answer = std::u16string(default_answer);
    if (answer && answer->empty()) return std::nullopt;
    return answer;
  }
};

/// Answers the file dialogs from a script; records titles, filters and proposed names.
struct ScriptedChooser : document::FileChooser {
  std::deque<std::optional<std::u16string>> answers;
  std::vector<std::u16string> titles, filters, proposed;

  std::optional<std::u16string> Next(std::u16string_view title, std::u16string_view filter) {
    titles.emplace_back(title);
    filters.emplace_back(filter);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::u16string> ChooseOpen(std::u16string_view t, std::u16string_view f) override {
    return Next(t, f);
  }
  std::optional<std::u16string> ChooseSave(std::u16string_view t, std::u16string_view f,
                                           std::u16string_view name) override {
    proposed.emplace_back(name);
    return Next(t, f);
  }
};

}  // namespace quillan::testing_support
