#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "document/file_ports.h"
#include "wintools/pe_icons.h"

namespace quillan::platform {

/// Settings of a PosixFileStore; the defaults are the program's.
struct PosixFileStoreOptions {
  /// Files larger than this are refused on reading: the editor cannot hold them.
  std::size_t max_read_bytes = std::size_t{512} << 20;
  /// Called with the native path of an existing file between its check and its opening for a
  /// write, so that a test can change the file there as another user might. Empty in the
  /// program.
  std::function<void(const std::string&)> before_open;
};

/// The file store on POSIX systems. Paths go to the system as the bytes they came from
/// (see native_path.h). Only regular files are read or written: a folder, device, pipe or
/// socket is refused before it is opened, so nothing blocks or reads without end.
///
/// A write follows symbolic links to the file they end at and writes that file, keeping the
/// links; a link to nothing is refused. The file is opened once, without following links, and
/// written only if it is still the file that was checked. The content goes to a temporary file
/// beside it, with its owner, group and mode, which is renamed over it, so a failure leaves
/// the old file as it was. Where renaming would break something (the file has other hard
/// links, or its owner cannot be given to the new file) the content is written in place
/// instead, through the opened file, after a copy of the old content was written beside it and
/// room for the new content was reserved; the copy is removed once the write succeeded.
///
/// A save locks its temporary file while it writes. Temporary files of the user that are
/// unlocked and older than a few seconds were left by a save that was killed: the next save
/// into their folder removes them.
class PosixFileStore final : public document::FileStore {
 public:
  explicit PosixFileStore(PosixFileStoreOptions options = {}) : options_(std::move(options)) {}

  ReadResult Read(std::u16string_view path) override;
  std::optional<std::u16string> Write(std::u16string_view path, std::string_view bytes) override;
  std::optional<document::FileStamp> Stamp(std::u16string_view path) override;
  char16_t PathSeparator() const override { return u'/'; }

  /// Where the copy of the old content goes while a file is written in place.
  static std::string BackupPath(const std::string& native_path);

 private:
  PosixFileStoreOptions options_;
};

/// Random-access reads of one regular file, open for as long as the object lives; only the
/// bytes asked for are read.
class PosixFileBytes final : public wintools::ByteSource {
 public:
  /// The regular file at path, opened for reading; null for anything else or a failure.
  static std::unique_ptr<PosixFileBytes> Open(std::u16string_view path);
  ~PosixFileBytes() override;
  PosixFileBytes(const PosixFileBytes&) = delete;
  PosixFileBytes& operator=(const PosixFileBytes&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t n, std::string& out) override;
  /// How many bytes all reads so far have taken from the file.
  std::uint64_t bytes_read() const { return bytes_read_; }

 private:
  PosixFileBytes(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  std::uint64_t size_;
  std::uint64_t bytes_read_ = 0;
};

/// Makes a write beyond the process's file-size limit fail with "File too large" instead of
/// ending the program with SIGXFSZ.
void IgnoreFileSizeSignal();

}  // namespace quillan::platform
