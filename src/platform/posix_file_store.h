#pragma once

#include <cstddef>
#include <memory>

#include "document/file_ports.h"
#include "wintools/pe_icons.h"

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
  char16_t PathSeparator() const override { return u'/'; }

  /// Where the copy of the old content goes while a file is written in place.
  static std::string BackupPath(const std::string& native_path);

 private:
  std::size_t max_read_bytes_;
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
