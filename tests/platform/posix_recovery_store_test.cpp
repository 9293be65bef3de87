#include "platform/posix_recovery_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace quillan::platform {
namespace {

namespace fs = std::filesystem;

// Each store stands for one running Quillan; destroying it is that Quillan ending. Locks taken
// through separate opens exclude each other within one process as between processes.
class RecoveryStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quillan-recovery-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    root_ = name;
    folder_ = root_ + "/state/quillan";
  }
  void TearDown() override { fs::remove_all(root_); }
  std::unique_ptr<PosixRecoveryStore> Start() const {
    return std::make_unique<PosixRecoveryStore>(folder_);
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    if (!fs::exists(folder_)) return names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string root_, folder_;
};

TEST_F(RecoveryStoreTest, ACopyIsOfferedOnlyOnceItsQuillanIsGoneAndToOneQuillanAtATime) {
  auto first = Start();
  EXPECT_TRUE(first->ClaimLeft().empty());
  EXPECT_FALSE(fs::exists(folder_)) << "looking makes nothing";
  ASSERT_FALSE(first->Write("head\n", "old"));
  ASSERT_FALSE(first->Write("head\n", "text"));
  const std::string id = first->id();

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

TEST_F(RecoveryStoreTest, KeepsCopiesPrivateAndClearsWhatIsOfNoUse) {
  {
    auto store = Start();
    ASSERT_FALSE(store->Write("h", "t"));
    struct stat st {};
    ASSERT_EQ(::stat(folder_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((folder_ + "/" + store->id() + ".copy").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    store->Remove();
  }
  EXPECT_TRUE(Files().empty()) << "a clean end leaves nothing";

  // What a Quillan killed at the wrong moment leaves: a lock alone, and a copy it was still
  // writing beside its last whole one.
  std::ofstream(folder_ + "/session-1-aaaaaa.lock");
  std::ofstream(folder_ + "/session-2-bbbbbb.copy") << "whole";
  std::ofstream(folder_ + "/session-2-bbbbbb.part") << "half";
  auto store = Start();
  const auto left = store->ClaimLeft();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].bytes, "whole");
  EXPECT_EQ(Files(), (std::vector<std::string>{"session-2-bbbbbb.copy", "session-2-bbbbbb.lock"}));
}

}  // namespace
}  // namespace quillan::platform
