#pragma once

#include <string>
#include <string_view>

namespace quillan::document {

/// The path separator that marks a path as known: "/" on Linux, the backslash on Windows.
#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

/// The name part of a path (after its last separator, possibly empty); "" without separator.
std::u16string FileNameFromPath(std::u16string_view path);

/// The document name inside a caption such as "Quillan - [demo.qlp]": taken after the last
/// separator when there is one, else after the first "[", minus the last character.
std::u16string DocNameFromCaption(std::u16string_view caption);

/// The folder with a separator appended unless it already ends in one.
std::u16string AddBackslash(std::u16string_view folder);

/// "Quillan - [" + name + "]".
std::u16string TitleForName(std::u16string_view name);

/// The start-up title: "Quillan - [Untitled]".
std::u16string UntitledTitle();

}  // namespace quillan::document
