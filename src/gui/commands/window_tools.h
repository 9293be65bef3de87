#pragma once

#include <QObject>

#include "codegen/insert_declarations.h"
#include "gui/commands/tool_notice.h"
#include "gui/widgets/action_table.h"
#include "gui/widgets/port_sources.h"
#include "wintools/window_system.h"

namespace quillan::gui {

class CodeEditor;

class EditorBuffer;
class ToolWindows;

/// The window tools of the Tools menu and toolbar: API Spy, Window Spy, the Code Generator and
/// Color Spy, made on
/// first use by the tool-window owner. The first one shown says once when this session's
/// window system cannot be read.
class WindowTools final : public QObject {
  Q_OBJECT

 public:
  WindowTools(const ActionTable& actions, ToolWindows& tools, wintools::WindowSystem& windows,
              EditorBuffer& buffer, CodeEditor& editor, codegen::InsertDeclarations& declarations,
              const MessengerSource& messengers);

 private:
  void Open(const char* name);

  ToolWindows& tools_;
  ToolNotice notice_;
};

}  // namespace quillan::gui
