// The recovery store's contract, run against each system's backend. Locks taken through
// separate opens exclude each other within one process as between processes, so one test
// program can play several Quillans.
#include "recovery_store_contract.h"

#include <algorithm>
#include <fstream>
#include <random>

namespace quillan::testing_support {

namespace fs = std::filesystem;

void RecoveryFolderTest::SetUp() {
  std::random_device random;
  for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
    const fs::path root =
        fs::temp_directory_path() / ("quillan-recovery-" + std::to_string(random()));
    if (fs::create_directory(root)) root_ = root;
  }
  ASSERT_FALSE(root_.empty());
  folder_ = root_ / "state" / "quillan";
}

void RecoveryFolderTest::TearDown() {
  std::error_code ignored;
  if (!root_.empty()) fs::remove_all(root_, ignored);
}

std::vector<std::string> RecoveryFolderTest::Files() const {
  std::vector<std::string> names;
  if (!fs::exists(folder_)) return names;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

TEST_P(RecoveryStoreContract, ACopyIsOfferedOnlyOnceItsQuillanIsGoneAndToOneQuillanAtATime) {
  auto first = Start();
  EXPECT_TRUE(first->ClaimLeft().empty());
  EXPECT_FALSE(fs::exists(folder())) << "looking makes nothing";
  ASSERT_FALSE(first->Write("head\n", "old"));
  ASSERT_FALSE(first->Write("head\n", "text"));
  const std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 2u);
  ASSERT_TRUE(files[0].ends_with(".copy")) << files[0];
  const std::string id = files[0].substr(0, files[0].size() - 5);
  EXPECT_EQ(files[1], id + ".lock");

  auto second = Start();
  EXPECT_TRUE(second->ClaimLeft().empty()) << "the first Quillan still runs";
  first.reset();  // dies with its copy on disk
  const auto left = second->ClaimLeft();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].id, id);
  EXPECT_EQ(left[0].bytes, "head\ntext");

  auto third = Start();
  EXPECT_TRUE(third->ClaimLeft().empty()) << "claimed by the second";
  second->Release(id);
  ASSERT_EQ(third->ClaimLeft(id).size(), 1u);
  third->Adopt(id);
  EXPECT_TRUE(Start()->ClaimLeft().empty()) << "adopted: the third's own copy now";
  second.reset();
  third.reset();  // dies holding the adopted copy
  auto fourth = Start();
  const auto again = fourth->ClaimLeft();
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].bytes, "head\ntext");
  fourth->Discard(again[0].id);
  fourth.reset();
  EXPECT_TRUE(Files().empty());
}

TEST_P(RecoveryStoreContract, ACleanEndLeavesNothingAndAClaimClearsWhatIsOfNoUse) {
  {
    auto store = Start();
    ASSERT_FALSE(store->Write("h", "t"));
    store->Remove();
  }
  EXPECT_TRUE(Files().empty()) << "a clean end leaves nothing";

  // What a Quillan killed at the wrong moment leaves: a lock alone, and a copy it was still
  // writing beside its last whole one.
  std::ofstream(folder() / "session-1-aaaaaa.lock");
  std::ofstream(folder() / "session-2-bbbbbb.copy") << "whole";
  std::ofstream(folder() / "session-2-bbbbbb.part") << "half";
  auto store = Start();
  const auto left = store->ClaimLeft();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].bytes, "whole");
  EXPECT_EQ(Files(), (std::vector<std::string>{"session-2-bbbbbb.copy", "session-2-bbbbbb.lock"}));
}

}  // namespace
}  // namespace quillan::testing_support
