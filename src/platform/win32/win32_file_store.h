#pragma once

#include <cstddef>
#include <memory>

#include "document/file_ports.h"
#include "wintools/pe_icons.h"

namespace quillan::platform {

/// The file store on Windows, over the wide-character file functions. Only files on disk are
/// read or written: a folder, a device (CON, NUL, a serial port) or a pipe is refused.
///
/// A write goes to a temporary file beside the target, is flushed to the disk, and then takes
/// the target's place with ReplaceFileW, which keeps the target's attributes and security; a
/// failure at any step leaves the old file as it was.
class Win32FileStore final : public document::FileStore {
 public:
  /// Files larger than this are refused on reading: the editor cannot hold them.
  explicit Win32FileStore(std::size_t max_read_bytes = std::size_t{512} << 20)
      : max_read_bytes_(max_read_bytes) {}

  ReadResult Read(std::u16string_view path) override;
  std::optional<std::u16string> Write(std::u16string_view path, std::string_view bytes) override;
  std::optional<document::FileStamp> Stamp(std::u16string_view path) override;
  char16_t PathSeparator() const override { return u'\\'; }

 private:
  std::size_t max_read_bytes_;
};

/// Random-access reads of one file on disk, open for as long as the object lives.
class Win32FileBytes final : public wintools::ByteSource {
 public:
  /// The file at path, opened for reading; null for anything else or a failure.
  static std::unique_ptr<Win32FileBytes> Open(std::u16string_view path);
  ~Win32FileBytes() override;
  Win32FileBytes(const Win32FileBytes&) = delete;
  Win32FileBytes& operator=(const Win32FileBytes&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t n, std::string& out) override;

 private:
  Win32FileBytes(void* handle, std::uint64_t size) : handle_(handle), size_(size) {}
  void* handle_;
  std::uint64_t size_;
};

}  // namespace quillan::platform
