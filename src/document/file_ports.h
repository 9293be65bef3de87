#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillan::document {

/// Whole-file reads and safe writes.
class FileStore {
 public:
  struct ReadResult {
    std::optional<std::string> bytes;  ///< the file's content, or nullopt on failure
    std::u16string error;              ///< the platform's description of the failure
  };
  virtual ~FileStore() = default;
  /// Reads a file whole.
  virtual ReadResult Read(std::u16string_view path) = 0;
  /// Replaces the file's content; the old file stays intact when this fails.
  /// Returns the platform's description of the failure, or nullopt on success.
  virtual std::optional<std::u16string> Write(std::u16string_view path, std::string_view bytes) = 0;
};

/// The Open and Save As file dialogs. Filters use the "Description|pattern|" form.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  /// The chosen existing file; nullopt when cancelled or empty.
  virtual std::optional<std::u16string> ChooseOpen(std::u16string_view title,
                                                   std::u16string_view filter) = 0;
  /// The chosen file name to write; nullopt when cancelled or empty.
  virtual std::optional<std::u16string> ChooseSave(std::u16string_view title,
                                                   std::u16string_view filter) = 0;
};

}  // namespace quillan::document
