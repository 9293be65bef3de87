#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codegen/insert_declarations.h"
#include "text/code_buffer.h"
#include "ui/messenger.h"
#include "wintools/window_system.h"

namespace quillan::wintools {

/// `MakeVariableName`: s trimmed of spaces; then for each position i up to s's length, an
/// underscore standing at i of the result removes every underscore, and then a space standing
/// at i removes every space.
std::u16string MakeVariableName(std::u16string_view s);

/// One level of the chain from the picked window up to its top-level ancestor.
struct ChainLevel {
  Hwnd handle = 0;
  std::u16string class_name;  ///< at most 99 characters
};

/// The picked window (level 0) and its parents up to the one without a parent. A chain that
/// comes back to a window already in it (an owner loop) ends before the repeat.
std::vector<ChainLevel> BuildChain(WindowSystem& windows, Hwnd picked);

/// The preview the Code Generator shows for the picked window: the Dim lines, then one
/// FindWindow or FindWindowEx line per level, top level first, each line ending in CR LF.
/// A level whose window is not met among its parent's children of its class gets a
/// FindWindow line. Nothing ("") when the handle names no window, as once the window is gone.
std::u16string GenerateFinderCode(WindowSystem& windows, Hwnd picked);

/// Insert: puts the preview at the caret (replacing the selection), adds the FindWindow and
/// FindWindowEx declarations at the top when the option is on, stores the option and leaves
/// the caret at the end. An empty preview is refused with "You have no code to insert!".
/// Returns whether anything was inserted.
bool InsertFinderCode(std::u16string_view preview, text::CodeBuffer& buffer,
                      codegen::InsertDeclarations& option, ui::Messenger& messenger);

}  // namespace quillan::wintools
