#pragma once

#include <QObject>
#include <QString>

#include "document/document.h"
#include "document/document_commands.h"
#include "document/file_ports.h"
#include "gui/widgets/action_table.h"
#include "gui/widgets/port_sources.h"

namespace quillan::gui {

class CodeEditor;
class EditorBuffer;

/// The File menu's document commands (New, Open, Save, Save As) and the document that goes
/// with the editor's text: its path, modified flag, title and encoding. Whoever shows them
/// listens to `StateChanged`; the discard question before the program closes is `MayClose`.
class FileCommands final : public QObject {
  Q_OBJECT

 public:
  /// Message boxes and file dialogs stand above `main_window`.
  FileCommands(const ActionTable& actions, CodeEditor& editor, EditorBuffer& buffer,
               document::FileStore& files, QWidget& main_window, MessengerSource messengers,
               ChooserSource choosers);

  document::Document& doc() { return doc_; }
  const text::CodeBuffer& buffer() const;
  /// The separator of the file store's paths.
  char16_t PathSeparator() const { return files_.PathSeparator(); }
  /// What the document commands work on, with messages above the main window, or through
  /// `messenger`.
  document::DocumentContext Context();
  document::DocumentContext Context(ui::Messenger& messenger);

  /// The discard question: true when the program may close (nothing unsaved, or Yes).
  bool MayClose();

  /// Emits `StateChanged` with the state as it is.
  void AnnounceState();

  /// How the status bar names an encoding.
  static QString EncodingName(document::Encoding encoding);

 signals:
  /// The title, the encoding the text is saved in, or the modified flag changed.
  void StateChanged(const QString& title, const QString& encoding, bool modified);
  /// The editor's text changed.
  void TextChanged();
  /// The document's flag, path, title or encoding changed.
  void DocumentChanged();

 private:
  EditorBuffer& buffer_;
  document::FileStore& files_;
  QWidget& main_window_;
  MessengerSource messengers_;
  ChooserSource choosers_;
  document::Document doc_;
};

}  // namespace quillan::gui
