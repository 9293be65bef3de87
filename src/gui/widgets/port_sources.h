#pragma once

#include <QWidget>
#include <functional>

#include "document/file_ports.h"
#include "ui/messenger.h"

namespace quillan::gui {

/// Gives a window the messenger whose message boxes stand above that window. The composition
/// root makes one per window; tests hand every window the same recorder.
using MessengerSource = std::function<ui::Messenger&(QWidget& window)>;

/// Gives a window the Open and Save As dialogs that stand above it, remembering the name last
/// chosen in them; tests hand every window the same scripted chooser.
using ChooserSource = std::function<document::FileChooser&(QWidget& window)>;

}  // namespace quillan::gui
