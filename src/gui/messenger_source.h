#pragma once

#include <QWidget>
#include <functional>

#include "ui/messenger.h"

namespace quillan::gui {

/// Gives a window the messenger whose message boxes stand above that window. The composition
/// root makes one per window; tests hand every window the same recorder.
using MessengerSource = std::function<ui::Messenger&(QWidget& window)>;

}  // namespace quillan::gui
