#include "gui/commands/window_tools.h"

#include <QAction>

#include "gui/widgets/code_editor.h"
#include "gui/windows/api_spy_window.h"
#include "gui/windows/code_generator_window.h"
#include "gui/windows/color_spy_window.h"
#include "gui/windows/tool_windows.h"
#include "gui/windows/window_spy_window.h"

namespace quillan::gui {

WindowTools::WindowTools(const ActionTable& actions, ToolWindows& tools,
                         wintools::WindowSystem& windows, wintools::PickHighlight& highlight,
                         EditorBuffer& buffer, CodeEditor& editor,
                         codegen::InsertDeclarations& declarations,
                         const MessengerSource& messengers)
    : notice_(windows, messengers),
      api_spy_(tools.Add<ApiSpyWindow>(
          [this, &windows, &highlight] { return Watched(new ApiSpyWindow(windows, highlight)); })),
      code_generator_(tools.Add<CodeGeneratorWindow>(
          [this, &windows, &highlight, &buffer, &editor, &declarations, messengers] {
            return Watched(new CodeGeneratorWindow(windows, highlight, buffer, editor, declarations,
                                                   messengers));
          })),
      window_spy_(tools.Add<WindowSpyWindow>([this, &windows, &highlight, &tools] {
        return Watched(new WindowSpyWindow(windows, highlight, tools));
      })),
      color_spy_(tools.Add<ColorSpyWindow>([&windows] { return new ColorSpyWindow(windows); })) {
  setObjectName("windowTools");
  connect(actions.Action("API_Spy"), &QAction::triggered, this, [this] { Open(api_spy_); });
  connect(actions.Action("Window_Spy"), &QAction::triggered, this, [this] { Open(window_spy_); });
  connect(actions.Action("Color_Spy"), &QAction::triggered, this, [this] { Open(color_spy_); });
  connect(actions.Action("Code_Generator"), &QAction::triggered, this,
          [this] { Open(code_generator_); });
}

template <typename W>
W* WindowTools::Watched(W* tool) {
  notice_.Watch(*tool);
  return tool;
}

template <ToolWindow W>
void WindowTools::Open(ToolWindowSlot<W>& slot) {
  notice_.ToolShown(slot.Show());
}

}  // namespace quillan::gui
