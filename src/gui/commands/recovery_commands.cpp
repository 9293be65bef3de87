#include "gui/commands/recovery_commands.h"

#include <QDateTime>
#include <QLocale>

#include "document/doc_names.h"
#include "document/document_commands.h"
#include "gui/commands/file_commands.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/recovery_dialog.h"

namespace quillan::gui {

namespace {

// The row the recovery dialog shows for a copy.
RecoveryRow RowOf(const document::RecoveryCopy& copy, char16_t separator) {
  RecoveryRow row;
  row.name = copy.info.path.empty()
                 ? QString("Untitled")
                 : ToQString(document::FileNameFromPath(copy.info.path, separator));
  row.written =
      QLocale().toString(QDateTime::fromSecsSinceEpoch(copy.info.written_at), QLocale::ShortFormat);
  row.first_line = ToQString(document::FirstLineOf(copy.text, 80));
  return row;
}

}  // namespace

RecoveryCommands::RecoveryCommands(FileCommands& file, CodeEditor& editor,
                                   document::RecoveryStore& store,
                                   RestoreElsewhere restore_elsewhere, QWidget& main_window,
                                   MessengerSource messengers)
    : file_(file),
      store_(store),
      restore_elsewhere_(std::move(restore_elsewhere)),
      main_window_(main_window),
      messengers_(std::move(messengers)),
      keeper_(std::make_unique<RecoveryKeeper>(
          editor, file.doc(), store, [this](const std::u16string& error) {
            messengers_(main_window_)
                .Show(u"Quillan cannot keep a recovery copy of your unsaved work in \"" +
                          store_.Where() + u"\": " + error +
                          u". Save your work to keep it safe should Quillan end unexpectedly.",
                      ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
          })) {
  setObjectName("recoveryCommands");
  connect(&file_, &FileCommands::TextChanged, this, [this] { keeper_->TextChanged(); });
  connect(&file_, &FileCommands::DocumentChanged, this, [this] { keeper_->DocumentChanged(); });
}

RecoveryCommands::~RecoveryCommands() = default;

void RecoveryCommands::Offer(const std::optional<std::string>& only) {
  const char16_t separator = file_.PathSeparator();
  std::vector<document::LeftCopy> offered;
  std::vector<document::RecoveryCopy> copies;
  std::vector<RecoveryRow> rows;
  for (document::LeftCopy& one : store_.ClaimLeft(only.value_or(""))) {
    const auto copy = document::ParseRecoveryCopy(one.bytes);
    if (!copy) {
      // Not a copy this version reads (a newer Quillan's, say): left as it is.
      store_.Release(one.id);
      continue;
    }
    offered.push_back(std::move(one));
    copies.push_back(*copy);
    rows.push_back(RowOf(*copy, separator));
  }
  if (offered.empty()) return;
  if (only) {
    RestoreHere(offered.front(), copies.front());
    return;
  }
  ui::Messenger& messenger = messengers_(main_window_);
  for (;;) {
    RecoveryDialog dialog(rows, &main_window_);
    dialog.exec();
    std::vector<bool> chosen(offered.size(), false);
    for (std::size_t i : dialog.Checked()) chosen[i] = true;
    if (dialog.choice() == RecoveryDialog::Choice::kDiscard) {
      const auto answer = messenger.Show(
          u"The checked unsaved work will be deleted for good. Do you want to discard it?",
          ui::MessageIcon::kExclamation, ui::MessageButtons::kYesNo);
      if (answer != ui::MessageAnswer::kYes) continue;
      for (std::size_t i = 0; i < offered.size(); ++i) {
        if (chosen[i]) {
          store_.Discard(offered[i].id);
        } else {
          store_.Release(offered[i].id);
        }
      }
      return;
    }
    if (dialog.choice() == RecoveryDialog::Choice::kLater) {
      for (const document::LeftCopy& one : offered) store_.Release(one.id);
      return;
    }
    // The first checked copy comes into this window while it holds nothing of its own; every
    // other one opens in a window of its own.
    const document::Document& doc = file_.doc();
    bool here_free = doc.path().empty() && !doc.IsModified() && file_.buffer().Length() == 0;
    std::vector<std::u16string> not_started;
    for (std::size_t i = 0; i < offered.size(); ++i) {
      if (!chosen[i]) {
        store_.Release(offered[i].id);
      } else if (here_free) {
        here_free = false;
        RestoreHere(offered[i], copies[i]);
      } else {
        store_.Release(offered[i].id);
        if (!restore_elsewhere_(offered[i].id)) not_started.push_back(ToU16(rows[i].name));
      }
    }
    for (const std::u16string& name : not_started) {
      messenger.Show(u"Quillan could not open a window for the unsaved work of " + name +
                         u"; it will be offered again at the next start.",
                     ui::MessageIcon::kExclamation, ui::MessageButtons::kOk);
    }
    return;
  }
}

void RecoveryCommands::RestoreHere(const document::LeftCopy& left,
                                   const document::RecoveryCopy& copy) {
  document::DocumentContext ctx = file_.Context();
  if (document::RestoreRecoveryCopy(ctx, copy)) {
    store_.Adopt(left.id);
  } else {
    store_.Release(left.id);
  }
  file_.AnnounceState();
}

}  // namespace quillan::gui
