#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "document/recovery.h"

namespace quillan::testing_support {

/// A fresh folder of its own for each case, removed after it: `folder()` is not made yet,
/// and its parent neither, as on a first start.
class RecoveryFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::filesystem::path& folder() const { return folder_; }
  /// The names in the folder, sorted; none when it is not there.
  std::vector<std::string> Files() const;

 private:
  std::filesystem::path root_, folder_;
};

/// One recovery store backend: how to start a store keeping its copies in a folder. Each
/// store stands for one running Quillan; destroying it is that Quillan ending.
struct RecoveryBackend {
  const char* name;
  std::unique_ptr<document::RecoveryStore> (*start)(const std::filesystem::path& folder);
};

inline void PrintTo(const RecoveryBackend& backend, std::ostream* os) { *os << backend.name; }
inline std::string RecoveryBackendName(const ::testing::TestParamInfo<RecoveryBackend>& info) {
  return info.param.name;
}

/// The cases every backend must pass.
class RecoveryStoreContract : public RecoveryFolderTest,
                              public ::testing::WithParamInterface<RecoveryBackend> {
 protected:
  std::unique_ptr<document::RecoveryStore> Start() const { return GetParam().start(folder()); }
};

}  // namespace quillan::testing_support
