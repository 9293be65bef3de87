#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillan::ui {

/// The input box: a prompt with an optional default answer, titled "Quillan".
class Prompter {
 public:
  virtual ~Prompter() = default;
  /// The typed answer; nullopt for Cancel and for an empty answer alike.
  virtual std::optional<std::u16string> Ask(std::u16string_view prompt,
                                            std::u16string_view default_answer = {}) = 0;
};

}  // namespace quillan::ui
