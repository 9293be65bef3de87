#include <unistd.h>

#include <cstring>

#include "platform/display_check.h"
#include "platform/host.h"
#include "platform/native_path.h"
#include "platform/posix_file_store.h"

namespace quillan::platform {

std::optional<std::string> PrepareProcess() {
  // A save beyond the file-size limit fails with "File too large" instead of ending us.
  IgnoreFileSizeSignal();
  return MissingDisplay();
}

std::vector<std::u16string> ProgramArguments(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(PathFromNative(argv[i]));
  return arguments;
}

std::u16string CurrentFolder() {
  std::string folder(4096, '\0');
  if (::getcwd(folder.data(), folder.size()) == nullptr) return {};
  folder.resize(std::strlen(folder.c_str()));
  return PathFromNative(folder);
}

bool IsAbsolutePath(std::u16string_view path) { return path.starts_with(u'/'); }

std::unique_ptr<document::FileStore> MakeFileStore() { return std::make_unique<PosixFileStore>(); }

std::unique_ptr<wintools::ByteSource> OpenFileBytes(std::u16string_view path) {
  return PosixFileBytes::Open(path);
}

}  // namespace quillan::platform
