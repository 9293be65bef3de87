#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/messenger.h"

namespace quillan::gui {

/// Holds the notes of start-up (boxes with only an OK button) until the main window is on the
/// screen, so that they stand above it; a question, which needs its answer at once, goes to
/// the target at once.
class StartupMessenger final : public ui::Messenger {
 public:
  explicit StartupMessenger(std::function<ui::Messenger&()> target) : target_(std::move(target)) {}
  ui::MessageAnswer Show(std::u16string_view text, ui::MessageIcon icon, ui::MessageButtons buttons,
                         std::u16string_view title) override {
    if (buttons != ui::MessageButtons::kOk) return target_().Show(text, icon, buttons, title);
    held_.push_back({std::u16string(text), icon, std::u16string(title)});
    return ui::MessageAnswer::kOk;
  }
  /// Shows the notes held so far, in order.
  void Flush() {
    for (const Held& m : held_) target_().Show(m.text, m.icon, ui::MessageButtons::kOk, m.title);
    held_.clear();
  }

 private:
  struct Held {
    std::u16string text;
    ui::MessageIcon icon;
    std::u16string title;
  };
  std::function<ui::Messenger&()> target_;
  std::vector<Held> held_;
};

}  // namespace quillan::gui
