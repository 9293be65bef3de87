#pragma once

#include <string>
#include <string_view>

namespace quillan::document {

// Paths use the separator of the system they come from ("/" on Linux, the backslash on
// Windows), which the file store tells.

/// The name part of a path (after its last separator, possibly empty); "" without separator.
std::u16string FileNameFromPath(std::u16string_view path, char16_t separator);

/// The document name inside a caption such as "Quillan - [demo.qlp]": taken after the last
/// separator when there is one, else after the first "[", minus the last character.
std::u16string DocNameFromCaption(std::u16string_view caption, char16_t separator);

/// The folder with a separator appended unless it already ends in one.
std::u16string AddBackslash(std::u16string_view folder, char16_t separator);

/// "Quillan - [" + name + "]".
std::u16string TitleForName(std::u16string_view name);

/// The start-up title: "Quillan - [Untitled]".
std::u16string UntitledTitle();

}  // namespace quillan::document
