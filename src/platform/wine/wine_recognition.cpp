#include "platform/wine/wine_recognition.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "text/vb_string.h"

namespace quillan::platform {

namespace {

// The value of `name` in a NUL-separated environment block, the first one as getenv finds
// it; nullopt when it is not there.
std::optional<std::string> Variable(std::string_view block, std::string_view name) {
  while (!block.empty()) {
    const std::size_t end = block.find('\0');
    const std::string_view entry = block.substr(0, end);
    if (entry.size() > name.size() && entry.substr(0, name.size()) == name &&
        entry[name.size()] == '=') {
      return std::string(entry.substr(name.size() + 1));
    }
    if (end == std::string_view::npos) break;
    block.remove_prefix(end + 1);
  }
  return std::nullopt;
}

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsWineLoader(std::string_view exe, const std::string& wineloader, const RealPath& real_path) {
  static constexpr std::string_view kLoaderNames[] = {"wine", "wine64", "wine-preloader",
                                                      "wine64-preloader"};
  const std::string_view name = BaseName(exe);
  for (std::string_view loader : kLoaderNames) {
    if (name == loader) return true;
  }
  return exe == wineloader || real_path(std::string(exe)) == real_path(wineloader);
}

}  // namespace

std::optional<WinePrefix> WinePrefixOf(std::string_view exe, std::string_view environ_block,
                                       const RealPath& real_path) {
  // The kernel marks a replaced or removed executable so; the path is still the loader's.
  constexpr std::string_view kDeleted = " (deleted)";
  if (exe.size() > kDeleted.size() && exe.substr(exe.size() - kDeleted.size()) == kDeleted) {
    exe.remove_suffix(kDeleted.size());
  }
  const auto wineloader = Variable(environ_block, "WINELOADER");
  if (!wineloader || wineloader->empty() || !IsWineLoader(exe, *wineloader, real_path)) {
    return std::nullopt;
  }
  const auto home = Variable(environ_block, "HOME");
  std::string prefix = Variable(environ_block, "WINEPREFIX").value_or("");
  if (prefix.empty()) {
    if (!home || home->empty() || home->front() != '/') return std::nullopt;
    prefix = WithoutTrailingSlashes(*home) + "/.wine";
  }
  if (prefix.front() != '/') return std::nullopt;
  prefix = WithoutTrailingSlashes(prefix);
  std::string tmpdir = Variable(environ_block, "TMPDIR").value_or("");
  if (tmpdir.empty()) tmpdir = "/tmp";
  const auto wineserver = Variable(environ_block, "WINESERVER");

  WinePrefix result;
  result.loader = *wineloader;
  result.environment = {{"WINEPREFIX", prefix}, {"TMPDIR", tmpdir}};
  for (const char* name : {"WINESERVER", "HOME", "DISPLAY"}) {
    if (auto value = Variable(environ_block, name)) result.environment.emplace_back(name, *value);
  }
  result.key = real_path(prefix) + '\n' + real_path(tmpdir) + '\n' + wineserver.value_or("");
  result.name = text::FromUtf8(prefix);
  return result;
}

namespace {

std::string RealPathOf(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : path;
}

// The whole of a /proc file, or nullopt when it cannot be read. Environments beyond this size
// are not real ones.
std::optional<std::string> ReadSmallFile(const std::string& path) {
  constexpr std::size_t kMaxSize = std::size_t{1} << 20;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  std::array<char, 4096> buffer;
  while (content.size() < kMaxSize) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer.data(), static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

}  // namespace

std::optional<WinePrefix> RecognizeWineProcess(int pid) {
  if (pid <= 0) return std::nullopt;
  const std::string proc = "/proc/" + std::to_string(pid);
  std::array<char, PATH_MAX> exe;
  const ssize_t length = ::readlink((proc + "/exe").c_str(), exe.data(), exe.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= exe.size()) return std::nullopt;
  const auto environ_block = ReadSmallFile(proc + "/environ");
  if (!environ_block) return std::nullopt;
  return WinePrefixOf(std::string_view(exe.data(), static_cast<std::size_t>(length)),
                      *environ_block, RealPathOf);
}

}  // namespace quillan::platform
