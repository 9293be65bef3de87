#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codegen/handle_variables.h"
#include "text/code_buffer.h"
#include "ui/messenger.h"

namespace quillan::codegen {

/// The type code of a name's last character: 1 to 6 for & % $ ! # @, 7 for anything else.
int TypeCode(std::u16string_view name);

/// What follows the name in a Dim line of type code 1 to 7 (" As Long" ... "" for 7).
std::u16string_view TypeText(int type_code);

/// A variable as Dim All Variables declares it.
struct DimVariable {
  std::u16string name;
  int type_code = 7;

  bool operator==(const DimVariable&) const = default;
};

/// Derives the variable from an assigned name as extracted: the type code of its last
/// non-space character; the name without its spaces, without the statement keywords "For",
/// "Do While", "If" and "Loop Until" where they stand as whole words at its front (in that
/// order, case-insensitively, leading spaces ignored) and without its type character.
DimVariable DeriveDimVariable(std::u16string_view assigned);

/// Adds "Dim " + name + the type's text below the last Dim line (`EnsureDimLine`) unless
/// "Dim " + name occurs anywhere in the code.
void DeclareVariable(text::CodeBuffer& buffer, std::u16string_view name, int type_code);

/// Removes repeated names, then declares each in list order, leaving the same text and caret
/// as `DeclareVariable` called for one name after another. Unless a name holds a CR or LF
/// (never so in the editor) it reads the text once, changes it at most once and takes time
/// linear in the code.
void DeclareAllVariables(text::CodeBuffer& buffer, std::vector<std::u16string>& names);

/// The command Dim All Variables: declares every name the code assigns, or reports
/// "You have no variables in your code!" when there is none.
void DimAllVariables(text::CodeBuffer& buffer, PausePorts pause, ui::Messenger& messenger);

}  // namespace quillan::codegen
