#pragma once

#include <map>
#include <mutex>
#include <string>

#include "document/recovery.h"

namespace quillan::platform {

/// Recovery copies in a private folder (0700, files 0600). Each running Quillan holds an
/// exclusive `flock` on a lock file of its own, `<id>.lock`, for as long as it runs; its copy
/// is `<id>.copy`, written as `<id>.part` and renamed over it, so a copy is always whole. The
/// system drops the lock when the process ends however it ends, so a copy whose lock can be
/// taken was left by a Quillan that no longer runs; taking the lock is the claim, and two
/// Quillans never take the same copy.
class PosixRecoveryStore final : public document::RecoveryStore {
 public:
  /// Keeps the copies in `folder`, made (with its parents) on the first write.
  explicit PosixRecoveryStore(std::string folder);
  /// Gives up this program's hold; its lock file goes unless a copy stays behind with it.
  ~PosixRecoveryStore() override;
  PosixRecoveryStore(const PosixRecoveryStore&) = delete;
  PosixRecoveryStore& operator=(const PosixRecoveryStore&) = delete;

  /// `$XDG_STATE_HOME/quillan`, or `~/.local/state/quillan` when that is unset or relative.
  static std::string DefaultFolder();

  std::optional<std::u16string> Write(std::string_view header, std::string_view text) override;
  void Remove() override;
  std::vector<document::LeftCopy> ClaimLeft(std::string_view id = {}) override;
  void Adopt(std::string_view id) override;
  void Discard(std::string_view id) override;
  void Release(std::string_view id) override;
  std::u16string Where() const override;

  /// This program's id in the folder; empty until the first write.
  std::string id() const;

 private:
  // Opens the folder and this program's lock; 0 or the error. Called with the mutex held.
  int OpenSession();
  int OpenFolder();
  std::string PathOf(std::string_view id, const char* suffix) const;

  mutable std::mutex mutex_;
  const std::string folder_;
  int folder_fd_ = -1;
  std::string id_;
  int lock_fd_ = -1;
  bool have_copy_ = false;
  std::map<std::string, int, std::less<>> claimed_;  // id -> its lock file, held
};

}  // namespace quillan::platform
