#include "document/document_commands.h"

#include "document/qlp_codec.h"
#include "text/vb_string.h"

namespace quillan::document {
namespace {

bool ConfirmOverwrite(ui::Messenger& messenger, std::u16string_view path) {
  std::u16string text = u"The file \"";
  text += path;
  text +=
      u"\" has been changed by another program since it was opened. Do you want to "
      u"overwrite it?";
  return messenger.Show(text, ui::MessageIcon::kExclamation, ui::MessageButtons::kYesNo) ==
         ui::MessageAnswer::kYes;
}

}  // namespace

std::u16string LongLineMessage(std::u16string_view refused, std::size_t length) {
  auto grouped = [](std::size_t n) {
    const std::string digits = std::to_string(n);
    std::u16string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) out += u',';
      out += static_cast<char16_t>(digits[i]);
    }
    return out;
  };
  std::u16string text(refused);
  text += u": it would make a line of ";
  text += grouped(length);
  text += u" characters, and the editor shows lines of up to ";
  text += grouped(text::kMaxLineLength);
  text += u" characters without holding up the window.";
  return text;
}

void ShowFileFailure(ui::Messenger& messenger, std::u16string_view path,
                     std::u16string_view error) {
  std::u16string text = u"\"";
  text += path;
  text += u"\": ";
  text += error;
  text += u".";
  messenger.Show(text, ui::MessageIcon::kCritical, ui::MessageButtons::kOk);
}

bool ConfirmDiscardChanges(const Document& doc, ui::Messenger& messenger, char16_t separator) {
  if (!doc.IsModified()) return true;
  std::u16string prompt = u"You have made changes to ";
  prompt += DocNameFromCaption(doc.title(), separator);
  prompt += u" do you want to continue without saving?";
  return messenger.Show(prompt, ui::MessageIcon::kCritical, ui::MessageButtons::kYesNo) ==
         ui::MessageAnswer::kYes;
}

void New(DocumentContext& ctx) {
  if (!ConfirmDiscardChanges(ctx.doc, ctx.messenger, ctx.files.PathSeparator())) return;
  ctx.buffer.SetText(u"");
  ctx.doc.SetChanged(u"no");
  // A new document is untitled: keeping the old path would let Save overwrite that file.
  ctx.doc.SetPath(u"");
  ctx.doc.SetTitle(UntitledTitle());
  ctx.doc.SetEncoding(Encoding::kUtf8);
  ctx.doc.SetDiskState(std::nullopt);
}

std::uint64_t ContentHash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3;
  }
  return hash;
}

bool ChangedByAnotherProgram(DocumentContext& ctx) {
  const auto& known = ctx.doc.disk_state();
  if (!known) return false;
  const auto now = ctx.files.Stamp(ctx.doc.path());
  if (!now) return false;
  if (!now->SameFileState(known->stamp)) return true;
  if (!known->stamp.racy) return false;
  const FileStore::ReadResult read = ctx.files.Read(ctx.doc.path());
  return !read.bytes || ContentHash(*read.bytes) != known->content_hash;
}

bool LoadProject(DocumentContext& ctx, std::u16string_view path) {
  FileStore::ReadResult read = ctx.files.Read(path);
  if (!read.bytes) {
    ShowFileFailure(ctx.messenger, path, read.error);
    return false;
  }
  const Document::DiskState disk{read.stamp, ContentHash(*read.bytes)};
  DecodedProject decoded = DecodeProject(std::move(*read.bytes), /*keep_utf8=*/true);
  read.bytes.reset();
  // A line the editor cannot lay out in time is refused before anything is replaced.
  if (const std::size_t longest =
          decoded.in_utf8 ? text::LongestLineUtf8(decoded.utf8) : text::LongestLine(decoded.text);
      longest > text::kMaxLineLength) {
    std::u16string refused = u"\"";
    refused += path;
    refused += u"\" was not opened";
    ctx.messenger.Show(LongLineMessage(refused, longest), ui::MessageIcon::kExclamation,
                       ui::MessageButtons::kOk);
    return false;
  }
  ctx.buffer.SetText(u"");
  if (decoded.in_utf8) {
    ctx.buffer.TakeTextUtf8(std::move(decoded.utf8));
  } else {
    ctx.buffer.SetText(decoded.text);
  }
  ctx.doc.SetChanged(u"no");
  ctx.doc.SetTitle(TitleForName(FileNameFromPath(path, ctx.files.PathSeparator())));
  ctx.doc.SetPath(path);
  ctx.doc.SetEncoding(decoded.encoding);
  ctx.doc.SetDiskState(disk);
  return true;
}

bool RestoreRecoveryCopy(DocumentContext& ctx, const RecoveryCopy& copy) {
  const RecoveryInfo& info = copy.info;
  const std::u16string name = info.path.empty()
                                  ? std::u16string(u"Untitled")
                                  : FileNameFromPath(info.path, ctx.files.PathSeparator());
  const bool as_is = IsValidUtf8(copy.text) && LinesEndInCrLf(copy.text);
  std::u16string converted;
  if (!as_is) {
    // Bytes that are not UTF-8 become U+FFFD, and lone CR or LF the document's CR LF.
    const std::u16string decoded = text::FromUtf8(copy.text);
    converted.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
      if (decoded[i] == u'\r' || decoded[i] == u'\n') {
        converted += text::kCrLf;
        if (decoded[i] == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n') ++i;
      } else {
        converted += decoded[i];
      }
    }
  }
  if (const std::size_t longest =
          as_is ? text::LongestLineUtf8(copy.text) : text::LongestLine(converted);
      longest > text::kMaxLineLength) {
    ctx.messenger.Show(
        LongLineMessage(u"The unsaved work of \"" + name + u"\" was not restored", longest),
        ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
    return false;
  }
  ctx.buffer.SetText(u"");
  if (as_is) {
    ctx.buffer.SetTextUtf8(copy.text);
  } else {
    ctx.buffer.SetText(converted);
  }
  ctx.doc.SetPath(info.path);
  ctx.doc.SetTitle(info.path.empty() ? UntitledTitle() : TitleForName(name));
  ctx.doc.SetEncoding(info.encoding);
  ctx.doc.SetDiskState(info.disk);
  // Never saved: the document stays modified until it is.
  ctx.doc.SetChanged(u"yes");
  return true;
}

RecoveryInfo RecoveryInfoOf(const Document& doc, std::int64_t now_seconds) {
  return RecoveryInfo{doc.path(), doc.encoding(), now_seconds, doc.disk_state()};
}

void Open(DocumentContext& ctx) {
  if (!ConfirmDiscardChanges(ctx.doc, ctx.messenger, ctx.files.PathSeparator())) return;
  const auto chosen = ctx.chooser.ChooseOpen(kOpenTitle, kOpenFilter);
  if (!chosen || chosen->empty()) return;
  LoadProject(ctx, *chosen);
}

bool WriteProject(DocumentContext& ctx, std::u16string_view path) {
  // Only the file the document came from can have been changed behind its back; another
  // file chosen in Save As is overwritten as the user asked.
  if (path == ctx.doc.path() && ChangedByAnotherProgram(ctx) &&
      !ConfirmOverwrite(ctx.messenger, path)) {
    return false;
  }
  const EncodedProject encoded = EncodeProject(ctx.buffer.Text(), ctx.doc.encoding());
  if (const auto error = ctx.files.Write(path, encoded.bytes)) {
    ShowFileFailure(ctx.messenger, path, *error);
    return false;
  }
  const auto stamp = ctx.files.Stamp(path);
  ctx.doc.SetDiskState(stamp
                           ? std::optional(Document::DiskState{*stamp, ContentHash(encoded.bytes)})
                           : std::nullopt);
  if (encoded.fell_back_to_utf8) {
    ctx.doc.SetEncoding(Encoding::kUtf8);
    ctx.messenger.Show(
        u"The project contains characters that the Windows-1252 code page cannot hold, so it "
        u"was saved as UTF-8.",
        ui::MessageIcon::kInformation, ui::MessageButtons::kOk);
  }
  return true;
}

void SaveAs(DocumentContext& ctx) {
  const auto chosen = ctx.chooser.ChooseSave(kSaveTitle, kSaveFilter, {});
  if (!chosen || chosen->empty()) return;
  if (!WriteProject(ctx, *chosen)) return;
  ctx.doc.SetTitle(TitleForName(FileNameFromPath(*chosen, ctx.files.PathSeparator())));
  ctx.doc.SetChanged(u"no");
  ctx.doc.SetPath(*chosen);
}

void Save(DocumentContext& ctx) {
  if (!ctx.doc.HasKnownPath(ctx.files.PathSeparator())) {
    SaveAs(ctx);
    return;
  }
  const std::u16string path = ctx.doc.path();
  if (WriteProject(ctx, path)) ctx.doc.SetChanged(u"no");
}

}  // namespace quillan::document
