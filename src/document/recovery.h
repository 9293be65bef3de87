#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/qlp_codec.h"

namespace quillan::document {

// A recovery copy keeps the unsaved work of one running Quillan on disk, so that a program
// that is killed, loses its display or is ended by the session leaves its text behind. The
// next start offers to restore it.

/// What a recovery copy says about the document besides its text.
struct RecoveryInfo {
  std::u16string path;  ///< the project's path; empty for an untitled document
  Encoding encoding = Encoding::kUtf8;
  std::int64_t written_at = 0;              ///< seconds since 1970-01-01 UTC
  std::optional<Document::DiskState> disk;  ///< the file as last opened or saved there
};

/// The header of a copy whose text, in UTF-8, is `text_bytes` long; the text follows it.
std::string RecoveryHeader(const RecoveryInfo& info, std::size_t text_bytes);

/// A copy read back: its header, and the text as a view into the bytes given.
struct RecoveryCopy {
  RecoveryInfo info;
  std::string_view text;
};
/// nullopt for anything that is not a whole copy of this version (cut short, too long, a
/// header that does not read).
std::optional<RecoveryCopy> ParseRecoveryCopy(std::string_view bytes);

/// The first line of the text that holds more than blanks, at most `max_chars` characters
/// (an ellipsis marks a cut); for the list of copies to restore.
std::u16string FirstLineOf(std::string_view utf8, std::size_t max_chars);

/// A copy left behind by a Quillan that ended without saving or discarding its work.
struct LeftCopy {
  std::string id;     ///< names the copy in the store
  std::string bytes;  ///< what ParseRecoveryCopy reads
};

/// Where recovery copies are kept. Every running Quillan has one copy of its own at most; a
/// copy is "left" when the Quillan that wrote it no longer runs. Claiming a left copy keeps
/// every other Quillan from offering it until it is restored, discarded or released.
class RecoveryStore {
 public:
  virtual ~RecoveryStore() = default;
  /// Replaces this program's copy with header + text, whole or not at all. Returns why it
  /// failed, or nullopt. Called from one thread at a time.
  virtual std::optional<std::u16string> Write(std::string_view header, std::string_view text) = 0;
  /// Removes this program's copy, if any.
  virtual void Remove() = 0;
  /// Claims every left copy that no other Quillan holds (all when id is empty, else only that
  /// one) and gives them back.
  virtual std::vector<LeftCopy> ClaimLeft(std::string_view id = {}) = 0;
  /// Makes a claimed copy this program's own: the restored work stays safe under its name.
  virtual void Adopt(std::string_view id) = 0;
  /// Deletes a claimed copy for good.
  virtual void Discard(std::string_view id) = 0;
  /// Gives a claimed copy back, to be offered again at a later start.
  virtual void Release(std::string_view id) = 0;
  /// The folder the copies are kept in, for messages.
  virtual std::u16string Where() const = 0;
};

/// Copies kept in memory: for tests, and for a session without a place to keep them.
class MemoryRecoveryStore final : public RecoveryStore {
 public:
  std::optional<std::u16string> Write(std::string_view header, std::string_view text) override;
  void Remove() override { own_.reset(); }
  std::vector<LeftCopy> ClaimLeft(std::string_view id = {}) override;
  void Adopt(std::string_view id) override;
  void Discard(std::string_view id) override { left_.erase(std::string(id)); }
  void Release(std::string_view id) override { claimed_.erase(std::string(id)); }
  std::u16string Where() const override { return u"memory"; }

  /// This program's copy as written last; nullopt when there is none.
  const std::optional<std::string>& own() const { return own_; }
  /// Copies that a Quillan which died would have left.
  std::map<std::string, std::string>& left() { return left_; }
  /// Makes every later Write fail with this error ("" lets them succeed again).
  void FailWrites(std::u16string error) { failure_ = std::move(error); }

 private:
  std::optional<std::string> own_;
  std::map<std::string, std::string> left_;
  std::map<std::string, bool> claimed_;
  std::u16string failure_;
};

}  // namespace quillan::document
