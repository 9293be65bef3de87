#pragma once

#include <QPushButton>

namespace quillan::gui {

/// A push button of a tool window: its objectName and caption, never a default button, so
/// that Enter in a text box does not press it.
inline QPushButton* ToolButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace quillan::gui
