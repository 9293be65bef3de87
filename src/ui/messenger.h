#pragma once

#include <string>
#include <string_view>

namespace quillan::ui {

enum class MessageIcon { kNone, kInformation, kExclamation, kCritical, kQuestion };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

/// The application's title, shown on every message box without a title of its own.
inline constexpr std::u16string_view kAppTitle = u"Quillan";

/// Message boxes.
class Messenger {
 public:
  virtual ~Messenger() = default;
  /// Shows text with the icon and buttons; returns the button pressed.
  virtual MessageAnswer Show(std::u16string_view text, MessageIcon icon, MessageButtons buttons,
                             std::u16string_view title = kAppTitle) = 0;
};

}  // namespace quillan::ui
