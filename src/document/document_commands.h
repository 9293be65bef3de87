#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/file_ports.h"
#include "document/recovery.h"
#include "text/code_buffer.h"
#include "ui/messenger.h"

namespace quillan::document {

/// What the document commands work on.
struct DocumentContext {
  text::CodeBuffer& buffer;
  Document& doc;
  ui::Messenger& messenger;
  FileChooser& chooser;
  FileStore& files;
};

inline constexpr std::u16string_view kOpenTitle = u"Open Quillan Project";
inline constexpr std::u16string_view kOpenFilter = u"Quillan Projects(*.QLP)|*.qlp|";
inline constexpr std::u16string_view kSaveTitle = u"Save Quillan Project";
inline constexpr std::u16string_view kSaveFilter = u"Quillan Project(*.QLP)|*.qlp|";

/// Tells that a file could not be read or written, naming it: "<path>": <what went wrong>.
void ShowFileFailure(ui::Messenger& messenger, std::u16string_view path, std::u16string_view error);

/// Why something that would make a line longer than the editor takes was not done:
/// "<refused>: it would make a line of <length> characters, ...".
std::u16string LongLineMessage(std::u16string_view refused, std::size_t length);

/// True when the command may go on: the flag is not "yes", or the user answered Yes to
/// "You have made changes to <name> do you want to continue without saving?".
bool ConfirmDiscardChanges(const Document& doc, ui::Messenger& messenger, char16_t separator);

/// File > New: empties the text; the document becomes untitled.
void New(DocumentContext& ctx);
/// File > Open.
void Open(DocumentContext& ctx);
/// File > Save: writes to the known path, or runs Save As.
void Save(DocumentContext& ctx);
/// File > Save As.
void SaveAs(DocumentContext& ctx);

/// Loads the file at path into the document as Open does, without dialogs. A failure is
/// reported and leaves the document as it was. Returns true when the file was loaded.
bool LoadProject(DocumentContext& ctx, std::u16string_view path);

/// Puts the work a recovery copy kept into the document: its text, path, title, encoding and
/// the state of its file, marked modified since it was never saved. A copy with a line longer
/// than the editor takes is refused with a message. Returns true when it was restored.
bool RestoreRecoveryCopy(DocumentContext& ctx, const RecoveryCopy& copy);

/// What a recovery copy of the document now holds besides the text.
RecoveryInfo RecoveryInfoOf(const Document& doc, std::int64_t now_seconds);

/// Writes the text to path. When path is the document's own file and another program has
/// changed it, asks first; No writes nothing. On failure shows the error. Returns whether the
/// text was written; a false changes nothing.
bool WriteProject(DocumentContext& ctx, std::u16string_view path);

/// A hash of a file's bytes (64-bit FNV-1a), to tell one content from another.
std::uint64_t ContentHash(std::string_view bytes);

/// Whether the file at the document's path is no longer what was last opened or saved
/// there: its stamp differs, or, where the stamp cannot tell, its content. A file that is
/// gone counts as unchanged: writing it loses nothing.
bool ChangedByAnotherProgram(DocumentContext& ctx);

}  // namespace quillan::document
