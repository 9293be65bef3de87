#include "document/document_commands.h"

namespace quillan::document {
namespace {

void ShowFailure(ui::Messenger& messenger, std::u16string_view error) {
  std::u16string text(error);
  text += u".";
  messenger.Show(text, ui::MessageIcon::kCritical, ui::MessageButtons::kOk);
}

}  // namespace

bool ConfirmDiscardChanges(const Document& doc, ui::Messenger& messenger) {
  if (!doc.IsModified()) return true;
  std::u16string prompt = u"You have made changes to ";
  prompt += DocNameFromCaption(doc.title());
  prompt += u" do you want to continue without saving?";
  return messenger.Show(prompt, ui::MessageIcon::kCritical, ui::MessageButtons::kYesNo) ==
         ui::MessageAnswer::kYes;
}

void New(DocumentContext& ctx) {
  if (!ConfirmDiscardChanges(ctx.doc, ctx.messenger)) return;
  ctx.buffer.SetText(u"");
  ctx.doc.SetChanged(u"no");
  // A new document is untitled: keeping the old path would let Save overwrite that file.
  ctx.doc.SetPath(u"");
  ctx.doc.SetTitle(UntitledTitle());
  ctx.doc.SetEncoding(Encoding::kUtf8);
}

bool LoadProject(DocumentContext& ctx, std::u16string_view path) {
  FileStore::ReadResult read = ctx.files.Read(path);
  if (!read.bytes) {
    ShowFailure(ctx.messenger, read.error);
    return false;
  }
  DecodedProject decoded = DecodeProject(*read.bytes);
  read.bytes.reset();
  ctx.buffer.SetText(u"");
  ctx.buffer.SetText(decoded.text);
  ctx.doc.SetChanged(u"no");
  ctx.doc.SetTitle(TitleForName(FileNameFromPath(path)));
  ctx.doc.SetPath(path);
  ctx.doc.SetEncoding(decoded.encoding);
  return true;
}

void Open(DocumentContext& ctx) {
  if (!ConfirmDiscardChanges(ctx.doc, ctx.messenger)) return;
  const auto chosen = ctx.chooser.ChooseOpen(kOpenTitle, kOpenFilter);
  if (!chosen || chosen->empty()) return;
  LoadProject(ctx, *chosen);
}

bool WriteProject(DocumentContext& ctx, std::u16string_view path) {
  const EncodedProject encoded = EncodeProject(ctx.buffer.Text(), ctx.doc.encoding());
  if (const auto error = ctx.files.Write(path, encoded.bytes)) {
    ShowFailure(ctx.messenger, *error);
    return false;
  }
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
  const auto chosen = ctx.chooser.ChooseSave(kSaveTitle, kSaveFilter);
  if (!chosen || chosen->empty()) return;
  if (!WriteProject(ctx, *chosen)) return;
  ctx.doc.SetTitle(TitleForName(FileNameFromPath(*chosen)));
  ctx.doc.SetChanged(u"no");
  ctx.doc.SetPath(*chosen);
}

void Save(DocumentContext& ctx) {
  if (!ctx.doc.HasKnownPath()) {
    SaveAs(ctx);
    return;
  }
  const std::u16string path = ctx.doc.path();
  if (WriteProject(ctx, path)) ctx.doc.SetChanged(u"no");
}

}  // namespace quillan::document
