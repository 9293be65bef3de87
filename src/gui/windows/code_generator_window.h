#pragma once

#include <QDialog>
#include <optional>

#include "codegen/insert_declarations.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/tool_windows.h"
#include "wintools/pick_highlight.h"
#include "wintools/window_system.h"

class QCheckBox;
class QPlainTextEdit;

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;
class PickerArrow;

/// `frmGenerator`: drag the arrow onto a window to get the FindWindow / FindWindowEx code that
/// finds it again; Insert puts the code into the main editor. Modeless, above all windows;
/// Close and the frame only hide it, storing the option "Insert Declarations with code.".
/// While the arrow is dragged, the outline `highlight` surrounds the window under it.
class CodeGeneratorWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain,
                                          settings::section::kGeneratorPlace};

  CodeGeneratorWindow(wintools::WindowSystem& windows, wintools::PickHighlight& highlight,
                      EditorBuffer& buffer, CodeEditor& main_editor,
                      codegen::InsertDeclarations& option, const MessengerSource& messengers);
  ~CodeGeneratorWindow() override;

  /// The preview as the document sees it (CR LF line ends).
  std::u16string Preview() const;
  /// The last window under the arrow during a drag; none before the first pick.
  std::optional<wintools::Hwnd> picked() const { return picked_; }
  /// The arrow is over `hwnd` now: the window a release generates the code for.
  void Pick(wintools::Hwnd hwnd) { picked_ = hwnd; }

 public slots:
  void InsertClick();
  void CloseClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Generate();

  wintools::WindowSystem& windows_;
  wintools::PickTracker tracker_;
  EditorBuffer& buffer_;
  CodeEditor& main_editor_;
  codegen::InsertDeclarations& option_;
  ui::Messenger& messenger_;
  PickerArrow* arrow_;
  QPlainTextEdit* preview_;
  QCheckBox* check_;
  std::optional<wintools::Hwnd> picked_;
};

}  // namespace quillan::gui
