#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "wintools/window_system.h"

namespace quillan::platform {

/// How to reach the Windows programs of one Wine prefix: the loader to start a helper with and
/// the environment that puts the helper into the same Wine world as the program (the same
/// wineserver): WINEPREFIX, TMPDIR, WINESERVER, HOME, DISPLAY as the program has them.
struct WinePrefix {
  std::string loader;  ///< the program's WINELOADER, else the wine loader found on the system
  std::vector<std::pair<std::string, std::string>> environment;
  /// Tells one Wine world from another: programs with equal keys share a wineserver.
  std::string key;
  /// The prefix as the user knows it (its folder), for messages.
  std::u16string name;
};

/// The Windows side of one Wine prefix, seen through a helper program that runs in it.
class WineWorld {
 public:
  enum class State { kStarting, kReady, kFailed };
  virtual ~WineWorld() = default;
  /// Where the helper is now, waiting at most `wait` for it to become ready.
  virtual State Poll(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) = 0;
  /// Why it failed, in words for the user; empty unless failed.
  virtual std::u16string failure() const = 0;
  /// The prefix's windows as Win32 sees them. Until the world is ready, and after it failed,
  /// every query answers 0 or empty text, as for a handle that names no window.
  virtual wintools::WindowSystem& windows() = 0;
};

/// Starts the helper of a prefix without waiting for it.
using WineWorldFactory = std::function<std::unique_ptr<WineWorld>(const WinePrefix& prefix)>;

}  // namespace quillan::platform
