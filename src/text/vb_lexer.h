#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quillan::text {

/// What each character of Visual Basic code is, for highlighting.
enum class VbStyle : std::uint8_t {
  kDefault = 0,
  kComment,
  kString,
  kNumber,
  kKeyword,
  kTypeCharacter,  ///< the type suffix of a name or number: % & ! # @ $
  kOperator,
  kDeclaredName,  ///< the procedure a `Declare` line names
  kPreprocessor,  ///< #If, #Const and their kin
};
inline constexpr int kVbStyleCount = 9;

/// True when the line ends in the continuation " _" (trailing blanks aside).
bool EndsInContinuation(std::string_view line);

/// Styles one line of Visual Basic code (UTF-8, without its line end): one style per byte.
/// `in_comment` tells that the line before was a comment ending in the continuation " _",
/// which makes this line a comment too. Returns the same for the next line. A line depends
/// on nothing else before it, so styling may start at any line.
bool StyleVbLine(std::string_view line, bool in_comment, std::span<VbStyle> styles);

}  // namespace quillan::text
