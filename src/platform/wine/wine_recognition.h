#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wine/wine_world.h"

namespace quillan::platform {

/// The real path of what a path names, links followed; the path itself when it cannot be
/// resolved.
using RealPath = std::function<std::string(const std::string& path)>;

/// The Wine prefix of a process, from the target of its /proc/<pid>/exe and its environment
/// block (NUL-separated NAME=value entries, as /proc/<pid>/environ holds them); nullopt when
/// the process is not a Windows program under Wine.
///
/// A Windows program under Wine has WINELOADER in its environment and runs a Wine loader: the
/// WINELOADER itself, or a file named wine, wine64, wine-preloader or wine64-preloader. Both
/// are asked for, because the Linux programs that Wine starts (a browser for a link) inherit
/// WINELOADER too. A WINEPREFIX that is not an absolute path is refused, as Wine refuses it.
///
/// The prefix's environment holds, for the helper:
/// - WINEPREFIX: the program's, or when it has none Wine's default, $HOME/.wine of the
///   program's HOME;
/// - TMPDIR: the program's, or /tmp, where Wine keeps the wineserver's socket without one;
/// - WINESERVER, HOME and DISPLAY: the program's, each only when the program has it.
/// A helper started with these over an environment without WINEPREFIX, TMPDIR and
/// WINESERVER meets the program's wineserver.
///
/// The key is the prefix's real path, TMPDIR's real path and WINESERVER: programs that agree
/// on all three share a wineserver.
std::optional<WinePrefix> WinePrefixOf(std::string_view exe, std::string_view environ_block,
                                       const RealPath& real_path);

/// WinePrefixOf for a running process, read from /proc: nullopt for a process that is gone,
/// that this user may not read, or that is not a Windows program under Wine.
std::optional<WinePrefix> RecognizeWineProcess(int pid);

/// What tells the router which processes are Windows programs under Wine.
using WineRecognizer = std::function<std::optional<WinePrefix>(int pid)>;

}  // namespace quillan::platform
