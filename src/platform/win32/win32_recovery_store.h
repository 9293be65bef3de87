#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "document/recovery.h"

namespace quillan::platform {

/// Recovery copies in a folder of the user's local application data. Each running Quillan
/// holds its lock file, `<id>.lock`, open without sharing for as long as it runs; its copy is
/// `<id>.copy`, written as `<id>.part`, flushed and moved over it, so a copy is always whole.
/// The system closes the handle when the process ends however it ends, so a copy whose lock
/// file can be opened was left by a Quillan that no longer runs; holding that lock file open
/// is the claim, and two Quillans never take the same copy.
class Win32RecoveryStore final : public document::RecoveryStore {
 public:
  /// Keeps the copies in `folder`, made (with its parents) on the first write.
  explicit Win32RecoveryStore(std::u16string folder);
  /// Gives up this program's hold; its lock file goes unless a copy stays behind with it.
  ~Win32RecoveryStore() override;
  Win32RecoveryStore(const Win32RecoveryStore&) = delete;
  Win32RecoveryStore& operator=(const Win32RecoveryStore&) = delete;

  /// `%LOCALAPPDATA%\Quillan\Recovery`; "" when the system knows no such folder.
  static std::u16string DefaultFolder();

  std::optional<std::u16string> Write(std::string_view header, std::string_view text) override;
  void Remove() override;
  std::vector<document::LeftCopy> ClaimLeft(std::string_view id = {}) override;
  void Adopt(std::string_view id) override;
  void Discard(std::string_view id) override;
  void Release(std::string_view id) override;
  std::u16string Where() const override { return folder_; }

  /// This program's id in the folder; empty until the first write.
  std::string id() const;

 private:
  // Makes the folder and opens this program's lock; 0 or the error. Called with the mutex held.
  unsigned long OpenSession();
  std::u16string PathOf(std::string_view id, std::u16string_view suffix) const;

  mutable std::mutex mutex_;
  const std::u16string folder_;
  std::string id_;
  void* lock_ = nullptr;  // this program's lock file, held; null before the first write
  bool have_copy_ = false;
  std::map<std::string, void*, std::less<>> claimed_;  // id -> its lock file, held
};

}  // namespace quillan::platform
