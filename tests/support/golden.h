#pragma once

// Golden files: expected output kept as plain text beside the tests that read it. When a
// change to what they hold is intended, run the tests with QUILLAN_UPDATE_GOLDEN=1 in the
// environment: each golden file is then rewritten with what the test sees, and `git diff`
// shows the change for review.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace quillan::testing_support {

/// The whole golden file at `path`. With QUILLAN_UPDATE_GOLDEN=1, `actual` is written there
/// first, so the comparison that follows passes and the file holds what was seen.
inline std::string Golden(const std::string& path, std::string_view actual) {
  const char* update = std::getenv("QUILLAN_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(cannot read the golden file " + path + ")\n";
  std::ostringstream whole;
  whole << in.rdbuf();
  return whole.str();
}

}  // namespace quillan::testing_support
