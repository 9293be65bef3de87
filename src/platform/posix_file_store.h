#pragma once

#include <cstddef>

#include "document/file_ports.h"

namespace quillan::platform {

/// The file store on POSIX systems. Paths go to the system as the bytes they came from
/// (see native_path.h). Only regular files are read or written: a folder, device, pipe or
/// socket is refused before it is opened, so nothing blocks or reads without end.
///
/// A write goes to a temporary file beside the target, with the target's owner, group and
/// mode, and is renamed over it, so a failure leaves the old file as it was. Where renaming
/// would break something (the file has other hard links, or its owner cannot be given to the
/// new file) the content is written in place instead, after a copy of the old content was
/// written beside it; the copy is removed once the write succeeded.
class PosixFileStore final : public document::FileStore {
 public:
  /// Files larger than this are refused on reading: the editor cannot hold them.
  explicit PosixFileStore(std::size_t max_read_bytes = std::size_t{512} << 20)
      : max_read_bytes_(max_read_bytes) {}

  ReadResult Read(std::u16string_view path) override;
  std::optional<std::u16string> Write(std::u16string_view path, std::string_view bytes) override;
  std::optional<document::FileStamp> Stamp(std::u16string_view path) override;

  /// Where the copy of the old content goes while a file is written in place.
  static std::string BackupPath(const std::string& native_path);

 private:
  std::size_t max_read_bytes_;
};

/// Makes a write beyond the process's file-size limit fail with "File too large" instead of
/// ending the program with SIGXFSZ.
void IgnoreFileSizeSignal();

}  // namespace quillan::platform
