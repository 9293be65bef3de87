#pragma once

// Drives the window maker (window_maker.cpp) in the Wine prefix this process's environment
// names, for the Wine helper's test and benchmark: one command line, one answer line.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/wine/child_process.h"
#include "platform/wine/wine_world.h"

namespace quillan::platform {

inline std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

/// The prefix this process runs in (scripts/wine_prefix.sh sets it up), as Quillan would
/// describe it for a program running there.
inline WinePrefix PrefixOfThisProcess() {
  WinePrefix prefix;
  prefix.loader = EnvironmentValue("WINELOADER");
  if (prefix.loader.empty()) prefix.loader = "/usr/lib/wine/wine64";
  for (const char* name : {"WINEPREFIX", "TMPDIR", "WINESERVER", "HOME", "DISPLAY"}) {
    if (std::getenv(name) != nullptr) prefix.environment.emplace_back(name, EnvironmentValue(name));
  }
  prefix.key = EnvironmentValue("WINEPREFIX");
  return prefix;
}

class WindowMakerClient {
 public:
  /// Starts $QUILLAN_TEST_WINDOW_MAKER in the prefix.
  WindowMakerClient() {
    const WinePrefix prefix = PrefixOfThisProcess();
    std::vector<std::string> env = {"WINEDEBUG=-all"};
    for (const auto& [name, value] : prefix.environment) env.push_back(name + "=" + value);
    process_ = ChildProcess::Start({prefix.loader, EnvironmentValue("QUILLAN_TEST_WINDOW_MAKER")},
                                   env, error_);
  }
  /// Why it could not be started; "" when it runs.
  const std::string& error() const { return error_; }
  /// The answer to a command; "" when none came within 30 s (the first command waits for
  /// Wine to start the program).
  std::string Ask(const std::string& command) {
    if (!process_) return {};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    if (!process_->Write(command + "\n", deadline)) return {};
    std::size_t end;
    while ((end = pending_.find('\n')) == std::string::npos) {
      if (process_->Read(pending_, deadline) != ChildProcess::Output::kData) return {};
    }
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return line;
  }

 private:
  std::string error_;
  std::unique_ptr<ChildProcess> process_;
  std::string pending_;
};

/// Asks for a window ("create ..."): its handle, 0 when none was made.
inline std::int32_t MakeWindow(WindowMakerClient& maker, const std::string& command) {
  return static_cast<std::int32_t>(std::atol(maker.Ask(command).c_str()));
}

}  // namespace quillan::platform
