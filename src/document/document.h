#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "document/doc_names.h"
#include "document/file_ports.h"
#include "document/qlp_codec.h"

namespace quillan::document {

/// The state that goes with the editor's text: current path, modified flag ("yes"/"no"),
/// window title and the encoding the text is saved in. The text itself lives in the editor.
class Document {
 public:
  Document() = default;

  const std::u16string& path() const { return path_; }
  /// The modified flag as the word "yes" or "no".
  const std::u16string& changed() const { return changed_; }
  /// Only exactly "yes" counts as modified.
  bool IsModified() const { return changed_ == u"yes"; }
  const std::u16string& title() const { return title_; }
  Encoding encoding() const { return encoding_; }

  /// A path counts as known only when it contains the system's separator.
  bool HasKnownPath(char16_t separator) const {
    return path_.find(separator) != std::u16string::npos;
  }

  /// The editor's change event: sets the flag to "yes".
  void TextChanged() { SetChanged(u"yes"); }

  void SetPath(std::u16string_view path);
  void SetChanged(std::u16string_view flag);
  void SetTitle(std::u16string_view title);
  void SetEncoding(Encoding encoding) { encoding_ = encoding; }

  /// The file at the path as it was last opened or saved: its stamp and a hash of its bytes,
  /// to tell whether another program has changed it since. nullopt when nothing was read or
  /// written yet.
  struct DiskState {
    FileStamp stamp;
    std::uint64_t content_hash = 0;
  };
  const std::optional<DiskState>& disk_state() const { return disk_state_; }
  void SetDiskState(std::optional<DiskState> state) { disk_state_ = state; }

  /// Called after any of path, flag or title changed.
  void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

 private:
  void Notify() {
    if (listener_) listener_();
  }

  std::u16string path_;
  std::u16string changed_ = u"no";
  std::u16string title_ = UntitledTitle();
  Encoding encoding_ = Encoding::kUtf8;
  std::optional<DiskState> disk_state_;
  std::function<void()> listener_;
};

}  // namespace quillan::document
