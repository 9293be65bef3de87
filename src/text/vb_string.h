#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillan::text {

/// Marks "not found" for the search helpers, like std::u16string::npos.
inline constexpr std::size_t kNotFound = std::u16string::npos;

/// Folds one UTF-16 unit to lower case the way a Windows text comparison does for the
/// Latin-1 and Windows-1252 letters (A-Z, À-Þ except ×); other units are returned unchanged.
char16_t FoldCase(char16_t c);

/// Returns s with every unit folded by FoldCase.
std::u16string FoldCase(std::u16string_view s);

/// Case-insensitive search of needle in haystack from offset `from`; kNotFound if absent.
/// An empty needle is found at `from` when from <= haystack.size().
std::size_t FindNoCase(std::u16string_view haystack, std::u16string_view needle,
                       std::size_t from = 0);

/// Case-sensitive search of key in text, the first occurrence; kNotFound if absent. It skips
/// ahead (Horspool), for keys searched in documents of many megabytes.
std::size_t FindKey(std::u16string_view text, std::u16string_view key);

/// The last occurrence of key in text, case-sensitive; kNotFound if absent.
std::size_t FindLastKey(std::u16string_view text, std::u16string_view key);

/// The first offset at or after `from` that holds c, four units at a time; kNotFound if none.
std::size_t FindUnit(std::u16string_view text, std::size_t from, char16_t c);

/// The last offset before `end` that holds c, four units at a time; kNotFound if none.
std::size_t FindLastUnit(std::u16string_view text, std::size_t end, char16_t c);

/// The length of the valid UTF-8 sequence that starts at bytes[i] (no overlongs, no
/// surrogates, nothing above U+10FFFF), with its code point in cp; 0 when there is none.
std::size_t ValidUtf8SequenceAt(std::string_view bytes, std::size_t i, char32_t& cp);

/// Appends one code point as UTF-16: a surrogate pair above U+FFFF.
void AppendCodePoint(char32_t cp, std::u16string& out);

/// UTF-8 <-> UTF-16 for program texts written in the source as UTF-8. Invalid input bytes
/// become U+FFFD; use only for texts the program owns.
std::u16string FromUtf8(std::string_view s);
std::string ToUtf8(std::u16string_view s);
/// Appends s as UTF-8; a lone surrogate, which has no UTF-8 form, becomes U+FFFD.
void AppendUtf8(std::u16string_view s, std::string& out);

/// The CR LF line end of the document.
inline constexpr std::u16string_view kCrLf = u"\r\n";

}  // namespace quillan::text
