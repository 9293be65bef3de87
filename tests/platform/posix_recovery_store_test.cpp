#include "platform/posix_recovery_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "recovery_store_contract.h"

namespace quillan::platform {
namespace {

using testing_support::RecoveryBackend;
using testing_support::RecoveryStoreContract;

INSTANTIATE_TEST_SUITE_P(
    Posix, RecoveryStoreContract,
    testing::Values(RecoveryBackend{
        "Posix",
        [](const std::filesystem::path& folder) -> std::unique_ptr<document::RecoveryStore> {
          return std::make_unique<PosixRecoveryStore>(folder.string());
        }}),
    testing_support::RecoveryBackendName);

using PosixRecoveryStoreTest = testing_support::RecoveryFolderTest;

TEST_F(PosixRecoveryStoreTest, KeepsCopiesPrivate) {
  PosixRecoveryStore store(folder().string());
  ASSERT_FALSE(store.Write("h", "t"));
  struct stat st {};
  ASSERT_EQ(::stat(folder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat((folder() / (store.id() + ".copy")).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace quillan::platform
