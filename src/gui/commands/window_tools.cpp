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
                         wintools::WindowSystem& windows, EditorBuffer& buffer, CodeEditor& editor,
                         codegen::InsertDeclarations& declarations,
                         const MessengerSource& messengers)
    : tools_(tools), notice_(windows, messengers) {
  setObjectName("windowTools");
  tools_.Register("frmAPISpy", [&windows] { return new ApiSpyWindow(windows); });
  tools_.Register("frmGenerator", [&windows, &buffer, &editor, &declarations, messengers] {
    return new CodeGeneratorWindow(windows, buffer, editor, declarations, messengers);
  });
  tools_.Register("frmWinSpy",
                  [&windows, &editor] { return new WindowSpyWindow(windows, *editor.window()); });
  tools_.Register("frmSpy", [&windows] { return new ColorSpyWindow(windows); });
  connect(actions.Action("API_Spy"), &QAction::triggered, this, [this] { Open("frmAPISpy"); });
  connect(actions.Action("Window_Spy"), &QAction::triggered, this, [this] { Open("frmWinSpy"); });
  connect(actions.Action("Color_Spy"), &QAction::triggered, this, [this] { Open("frmSpy"); });
  connect(actions.Action("Code_Generator"), &QAction::triggered, this,
          [this] { Open("frmGenerator"); });
}

void WindowTools::Open(const char* name) { notice_.ToolShown(tools_.Show(name)); }

}  // namespace quillan::gui
