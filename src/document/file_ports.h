#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillan::document {

/// One state of a file on disk, to tell later whether another program has changed it.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;
  /// The file was changed so shortly before the stamp was taken that a further change in the
  /// same tick of the file system's clock would leave the stamp as it is: compare content.
  bool racy = false;

  bool SameFileState(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           mtime_ns == other.mtime_ns;
  }
};

/// The spare capacity a `FileStore::Read` leaves past the bytes it read: room for a CR before
/// each LF of a text whose lines end in LF alone (lines of 16 bytes or more, on average), so
/// that opening it gives it CR LF line ends where its bytes are, without a copy. Memory never
/// written to costs nothing.
inline std::size_t ReadRoom(std::size_t size) { return size / 16 + 2; }

/// Whole-file reads and safe writes of regular files.
class FileStore {
 public:
  struct ReadResult {
    std::optional<std::string> bytes;  ///< the file's content, or nullopt on failure
    std::u16string error;              ///< why it failed, as the system describes it
    FileStamp stamp;                   ///< the file as it was read
  };
  virtual ~FileStore() = default;
  /// Reads a regular file whole; anything else (a folder, a device, a pipe) is refused
  /// without being opened for reading.
  virtual ReadResult Read(std::u16string_view path) = 0;
  /// Replaces the content of the regular file at path, or creates it. A failure never
  /// loses the old content. Returns why it failed, or nullopt on success.
  virtual std::optional<std::u16string> Write(std::u16string_view path, std::string_view bytes) = 0;
  /// The regular file at path as it is now; nullopt when there is none.
  virtual std::optional<FileStamp> Stamp(std::u16string_view path) = 0;
  /// The separator of this system's paths: "/" on POSIX systems, the backslash on Windows.
  virtual char16_t PathSeparator() const = 0;
};

/// The Open and Save As file dialogs. Filters use the "Description|pattern|" form.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  /// The chosen existing file; nullopt when cancelled or empty.
  virtual std::optional<std::u16string> ChooseOpen(std::u16string_view title,
                                                   std::u16string_view filter) = 0;
  /// The chosen file name to write, proposing `proposed` (empty: the name the dialog held
  /// last); nullopt when cancelled or empty.
  virtual std::optional<std::u16string> ChooseSave(std::u16string_view title,
                                                   std::u16string_view filter,
                                                   std::u16string_view proposed) = 0;
};

}  // namespace quillan::document
