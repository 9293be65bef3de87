#pragma once

#include <QDialog>
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

/// The flags every window tool has: a tool window's frame without minimize or maximize,
/// above all windows.
inline void MakeToolWindow(QDialog& window, const char* object_name, const char* caption) {
  window.setObjectName(object_name);
  window.setWindowTitle(caption);
  window.setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  window.setModal(false);
}

}  // namespace quillan::gui
