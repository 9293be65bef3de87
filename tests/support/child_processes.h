#pragma once

// Counts this process's children from /proc, for the tests that check that nothing is left
// running.
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

namespace quillan::testing_support {

/// Our children, running or not yet collected, whose command line contains `named` ("" for
/// every child).
inline int ChildProcesses(std::string_view named = {}) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent != ::getpid()) continue;
    std::ifstream cmdline(entry.path() / "cmdline");
    const std::string command((std::istreambuf_iterator<char>(cmdline)), {});
    if (command.find(named) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace quillan::testing_support
