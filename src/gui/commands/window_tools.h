#pragma once

#include <QObject>

#include "codegen/insert_declarations.h"
#include "gui/commands/tool_notice.h"
#include "gui/widgets/action_table.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/api_spy_window.h"
#include "gui/windows/code_generator_window.h"
#include "gui/windows/color_spy_window.h"
#include "gui/windows/tool_windows.h"
#include "gui/windows/window_spy_window.h"
#include "wintools/pick_highlight.h"
#include "wintools/window_system.h"

namespace quillan::gui {

class CodeEditor;
class EditorBuffer;

/// The window tools of the Tools menu and toolbar: API Spy, Window Spy, the Code Generator and
/// Color Spy, made on first use by the tool-window owner. The first one shown says once when
/// this session's window system cannot be read; a pick with the first three says what the
/// window system met meanwhile (programs it can see only as X11 shows them). The first three
/// share one outline, `highlight`, around the window under the arrow; Color Spy picks no window
/// and shows none.
class WindowTools final : public QObject {
  Q_OBJECT

 public:
  WindowTools(const ActionTable& actions, ToolWindows& tools, wintools::WindowSystem& windows,
              wintools::PickHighlight& highlight, EditorBuffer& buffer, CodeEditor& editor,
              codegen::InsertDeclarations& declarations, const MessengerSource& messengers);

 private:
  template <ToolWindow W>
  void Open(ToolWindowSlot<W>& slot);
  // A picking tool, its picks followed by the notice.
  template <typename W>
  W* Watched(W* tool);

  ToolNotice notice_;
  ToolWindowSlot<ApiSpyWindow> api_spy_;
  ToolWindowSlot<CodeGeneratorWindow> code_generator_;
  ToolWindowSlot<WindowSpyWindow> window_spy_;
  ToolWindowSlot<ColorSpyWindow> color_spy_;
};

}  // namespace quillan::gui
