// The recovery store on Windows, built with mingw-w64 and run under Wine.
#include "platform/win32/win32_recovery_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/host.h"
#include "platform/win32/windows_api.h"
#include "recovery_store_contract.h"
#include "text/vb_string.h"

namespace quillan::platform {
namespace {

using testing_support::RecoveryBackend;
using testing_support::RecoveryStoreContract;

INSTANTIATE_TEST_SUITE_P(
    Win32, RecoveryStoreContract,
    testing::Values(RecoveryBackend{
        "Win32",
        [](const std::filesystem::path& folder) -> std::unique_ptr<document::RecoveryStore> {
          return std::make_unique<Win32RecoveryStore>(folder.u16string());
        }}),
    testing_support::RecoveryBackendName);

TEST(Win32RecoveryStore, KeepsCopiesInTheUsersLocalApplicationData) {
  const std::u16string where = MakeRecoveryStore()->Where();
  EXPECT_TRUE(IsAbsolutePath(where)) << text::ToUtf8(where);
  EXPECT_TRUE(where.ends_with(u"\\AppData\\Local\\Quillan\\Recovery")) << text::ToUtf8(where);
}

// The copy of a Quillan that is killed stays, with its lock, and can be claimed as soon as the
// process is gone: the system closed its lock file. The test program starts itself again to
// play that Quillan, running only the case below, which waits to be killed after it wrote.
constexpr wchar_t kChildFolder[] = L"QUILLAN_TEST_RECOVERY_FOLDER";

TEST(Win32RecoveryStore, DISABLED_WritesAndWaitsToBeKilled) {
  wchar_t folder[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(kChildFolder, folder, MAX_PATH) == 0) GTEST_SKIP();
  Win32RecoveryStore store(reinterpret_cast<const char16_t*>(folder));
  ASSERT_FALSE(store.Write("head\n", "unsaved"));
  ::Sleep(60'000);
}

using Win32RecoveryStoreTest = testing_support::RecoveryFolderTest;

TEST_F(Win32RecoveryStoreTest, TheCopyOfAQuillanThatWasKilledIsOffered) {
  wchar_t program[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  std::wstring command = L"\"" + std::wstring(program) +
                         L"\" --gtest_also_run_disabled_tests "
                         L"--gtest_filter=Win32RecoveryStore.DISABLED_WritesAndWaitsToBeKilled";
  ASSERT_NE(::SetEnvironmentVariableW(kChildFolder, folder().c_str()), 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &child);
  ::SetEnvironmentVariableW(kChildFolder, nullptr);
  ASSERT_NE(started, 0);
  auto wrote = [this] {
    const auto files = Files();
    return files.size() == 2 && files[0].ends_with(".copy");
  };
  for (int i = 0; i < 300 && !wrote(); ++i) ::Sleep(100);
  ASSERT_TRUE(wrote()) << "the child wrote no copy";

  Win32RecoveryStore store(folder().u16string());
  EXPECT_TRUE(store.ClaimLeft().empty()) << "the child still runs";
  ::TerminateProcess(child.hProcess, 1);
  ::WaitForSingleObject(child.hProcess, INFINITE);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  const auto left = store.ClaimLeft();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].bytes, "head\nunsaved");
  store.Discard(left[0].id);
}

}  // namespace
}  // namespace quillan::platform
