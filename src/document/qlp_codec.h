#pragma once

#include <string>
#include <string_view>

namespace quillan::document {

/// The encoding a project was read in, and is written back in.
enum class Encoding { kUtf8, kUtf8Bom, kWindows1252, kUtf16Le, kUtf16Be };

/// A project file's bytes turned into document text.
struct DecodedProject {
  std::u16string text;
  Encoding encoding = Encoding::kUtf8;
  /// With `keep_utf8`, a UTF-8 file's text stays UTF-8, here, with the same line ends; `text`
  /// then stays empty.
  std::string utf8;
  bool in_utf8 = false;
};

/// Reads a .qlp file's bytes: UTF-16 when they start with its byte-order mark (FF FE little
/// endian, FE FF big endian) and come in whole units, else valid UTF-8 (a byte-order mark is
/// remembered), else Windows-1252 byte for byte; lone CR or LF line ends become CR LF; the one CR
/// LF that every save appends is dropped when the file ends with it.
/// `keep_utf8` spares a large UTF-8 project its conversion to UTF-16 on the way to the editor.
DecodedProject DecodeProject(std::string_view bytes, bool keep_utf8 = false);
/// The same, taking the bytes over: UTF-8 becomes `utf8` without a copy when its lines all
/// end in CR LF, or when the string has the room (capacity) for the CRs its lone line ends
/// need (see `ReadRoom`).
DecodedProject DecodeProject(std::string&& bytes, bool keep_utf8);

/// True when every CR and LF in bytes is part of a CR LF pair.
bool LinesEndInCrLf(std::string_view bytes);

/// Document text written as a .qlp file: the text, then CR LF.
struct EncodedProject {
  std::string bytes;
  Encoding encoding = Encoding::kUtf8;  ///< what was written
  bool fell_back_to_utf8 = false;       ///< the requested encoding could not hold the text
};

/// Writes text in `encoding`, UTF-16 with its byte-order mark; a character Windows-1252
/// cannot hold, or Windows-1252 bytes that would read back as UTF-16, make it write UTF-8.
EncodedProject EncodeProject(std::u16string_view text, Encoding encoding);

/// True when bytes are valid UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace quillan::document
