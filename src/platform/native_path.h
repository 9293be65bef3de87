#pragma once

#include <string>
#include <string_view>

namespace quillan::platform {

// File names on Linux are bytes, usually but not always UTF-8. The program holds paths as
// UTF-16; a byte that is not part of valid UTF-8 is held as the lone surrogate U+DC80 to
// U+DCFF of the same low byte, so that every name survives the round trip.

/// The program's form of the bytes of a path.
std::u16string PathFromNative(std::string_view bytes);

/// The bytes of a path in the program's form.
std::string NativePath(std::u16string_view path);

}  // namespace quillan::platform
