#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/recovery.h"
#include "gui/commands/recovery_keeper.h"
#include "gui/widgets/port_sources.h"

namespace quillan::gui {

class CodeEditor;
class FileCommands;

/// Recovery of unsaved work: keeps this program's copy while the document has unsaved changes,
/// and offers, once the main window is on the screen, what Quillans that died left behind.
class RecoveryCommands final : public QObject {
  Q_OBJECT

 public:
  /// Opens a new Quillan window that restores the left copy `id`; false when it cannot start.
  using RestoreElsewhere = std::function<bool(const std::string& id)>;

  RecoveryCommands(FileCommands& file, CodeEditor& editor, document::RecoveryStore& store,
                   RestoreElsewhere restore_elsewhere, QWidget& main_window,
                   MessengerSource messengers);
  ~RecoveryCommands() override;

  RecoveryKeeper& keeper() { return *keeper_; }

  /// Offers the left copies in one dialog: Restore (the first checked into this window while
  /// it holds nothing, every other one in a window of its own), Discard after asking, or
  /// Decide Later. With `only`, a window started to restore that copy takes it and offers
  /// nothing else.
  void Offer(const std::optional<std::string>& only);

 private:
  void RestoreHere(const document::LeftCopy& left, const document::RecoveryCopy& copy);

  FileCommands& file_;
  document::RecoveryStore& store_;
  RestoreElsewhere restore_elsewhere_;
  QWidget& main_window_;
  MessengerSource messengers_;
  std::unique_ptr<RecoveryKeeper> keeper_;
};

}  // namespace quillan::gui
