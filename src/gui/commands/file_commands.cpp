#include "gui/commands/file_commands.h"

#include <QAction>

#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"

namespace quillan::gui {

namespace {

// The menu's document commands by their items' object names.
struct Command {
  const char* action;
  void (*run)(document::DocumentContext& ctx);
};
constexpr Command kCommands[] = {
    {"New", document::New},
    {"Open", document::Open},
    {"Save", document::Save},
    {"Save_As", document::SaveAs},
};

}  // namespace

FileCommands::FileCommands(const ActionTable& actions, CodeEditor& editor, EditorBuffer& buffer,
                           document::FileStore& files, QWidget& main_window,
                           MessengerSource messengers, ChooserSource choosers)
    : buffer_(buffer),
      files_(files),
      main_window_(main_window),
      messengers_(std::move(messengers)),
      choosers_(std::move(choosers)) {
  setObjectName("fileCommands");
  for (const Command& command : kCommands) {
    connect(actions.Action(command.action), &QAction::triggered, this, [this, run = command.run] {
      document::DocumentContext ctx = Context();
      run(ctx);
      AnnounceState();
    });
  }
  connect(&editor, &CodeEditor::Changed, this, [this] {
    doc_.TextChanged();
    emit TextChanged();
    AnnounceState();
  });
  doc_.SetListener([this] {
    emit DocumentChanged();
    AnnounceState();
  });
}

const text::CodeBuffer& FileCommands::buffer() const { return buffer_; }

document::DocumentContext FileCommands::Context() { return Context(messengers_(main_window_)); }

document::DocumentContext FileCommands::Context(ui::Messenger& messenger) {
  return document::DocumentContext{buffer_, doc_, messenger, choosers_(main_window_), files_};
}

bool FileCommands::MayClose() {
  return document::ConfirmDiscardChanges(doc_, messengers_(main_window_), files_.PathSeparator());
}

void FileCommands::AnnounceState() {
  emit StateChanged(ToQString(doc_.title()), EncodingName(doc_.encoding()), doc_.IsModified());
}

QString FileCommands::EncodingName(document::Encoding encoding) {
  switch (encoding) {
    case document::Encoding::kUtf8Bom:
      return "UTF-8 with BOM";
    case document::Encoding::kWindows1252:
      return "Windows-1252";
    case document::Encoding::kUtf16Le:
      return "UTF-16 LE";
    case document::Encoding::kUtf16Be:
      return "UTF-16 BE";
    case document::Encoding::kUtf8:
      break;
  }
  return "UTF-8";
}

}  // namespace quillan::gui
