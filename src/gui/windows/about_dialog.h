#pragma once

#include <QDialog>

#include "gui/windows/tool_windows.h"
#include "platform/shell_integration.h"

class QLabel;

namespace quillan::gui {

/// `frmAbout`: what the program is and how to reach its makers. The web and mail links turn
/// blue and underlined under the mouse, with the hand pointer, until the mouse passes over
/// the frame or a plain label; a press of any button on the web link opens it, a click on
/// the mail link starts a mail. OK only hides the box.
class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain};

  AboutDialog(platform::ShellIntegration& shell, QWidget& main_window);

  static constexpr const char* kWebAddress = "https://quillan.example.org/";
  static constexpr const char* kMailAddress = "quillan@example.org";

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetHover(QLabel* link);

  platform::ShellIntegration& shell_;
  QWidget* frame_;
  QLabel* web_;
  QLabel* mail_;
  QList<QObject*> plain_;  // the frame and the labels that end the hover
};

}  // namespace quillan::gui
