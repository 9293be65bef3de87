#include "platform/posix_file_store.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>

#include "platform/native_path.h"

namespace quillan::platform {
namespace {

namespace fs = std::filesystem;

// A fresh folder for each test, removed afterwards.
class PosixFileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quillan-files-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    if (mounted_) ::umount(dir_.c_str());
    fs::remove_all(dir_);
  }
  std::u16string Path(const std::string& name) const { return PathFromNative(dir_ + "/" + name); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  struct stat Stat(const std::string& name) const {
    struct stat st {};
    ::stat((dir_ + "/" + name).c_str(), &st);
    return st;
  }
  // Sets the time of name (not of a link's target) to an hour ago.
  void Age(const std::string& name) const {
    timespec times[2]{};
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ + "/" + name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  }
  // Runs body in a child process; how the child ended, as waitpid tells it.
  static int InChild(const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
      body();
      ::_exit(0);
    }
    int status = -1;
    if (child > 0) ::waitpid(child, &status, 0);
    return status;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  PosixFileStore store_;
  std::string dir_;
  bool mounted_ = false;
};

// Runs a write under a file-size limit, as a disk that fills during the write would fail it.
std::optional<std::u16string> WriteUnderSizeLimit(PosixFileStore& store, std::u16string_view path,
                                                  const std::string& bytes, rlim_t limit) {
  IgnoreFileSizeSignal();
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = limit;
  setrlimit(RLIMIT_FSIZE, &small);
  auto error = store.Write(path, bytes);
  setrlimit(RLIMIT_FSIZE, &old);
  return error;
}

TEST_F(PosixFileStoreTest, OnlyRegularFilesAreReadOrWrittenAndNothingBlocks) {
  ASSERT_EQ(::mkfifo((dir_ + "/pipe.qlp").c_str(), 0600), 0);
  fs::create_directory(dir_ + "/folder.qlp");
  const struct {
    std::u16string path;
    std::u16string_view error;
  } cases[] = {
      {Path("pipe.qlp"), u"Not a regular file (a device, a pipe or a socket)"},
      {u"/dev/zero", u"Not a regular file (a device, a pipe or a socket)"},
      {u"/dev/null", u"Not a regular file (a device, a pipe or a socket)"},
      {Path("folder.qlp"), u"Is a folder, not a project file"},
      {Path("missing.qlp"), u"No such file or directory"},
  };
  for (const auto& c : cases) {
    const auto read = store_.Read(c.path);
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.error, c.error);
    if (c.error != u"No such file or directory") {
      EXPECT_EQ(store_.Write(c.path, "x\r\n"), std::u16string(c.error));
      EXPECT_FALSE(store_.Stamp(c.path));
    }
  }
  // A small store limit stands in for the 512 MB a real project may have.
  Put("big.qlp", std::string(100, 'x'));
  EXPECT_EQ(PosixFileStore({.max_read_bytes = 99, .before_open = {}}).Read(Path("big.qlp")).error,
            u"Larger than 512 MB, too large to open");
}

TEST_F(PosixFileStoreTest, ReplacingKeepsOwnerGroupModeAndNothingElseStaysBehind) {
  Put("demo.qlp", "old\r\n");
  ASSERT_EQ(::chmod((dir_ + "/demo.qlp").c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown((dir_ + "/demo.qlp").c_str(), 65534, 65534), 0);
  }
  const auto before = store_.Stamp(Path("demo.qlp"));
  ASSERT_TRUE(before);
  EXPECT_TRUE(before->racy);  // just written: the clock's tick cannot tell a second change
  EXPECT_EQ(store_.Write(Path("demo.qlp"), "new\r\n"), std::nullopt);
  EXPECT_EQ(Get("demo.qlp"), "new\r\n");
  const struct stat st = Stat("demo.qlp");
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"demo.qlp"});
  EXPECT_FALSE(store_.Stamp(Path("demo.qlp"))->SameFileState(*before));
  // A new file gets the user's default mode.
  EXPECT_EQ(store_.Write(Path("fresh.qlp"), "x"), std::nullopt);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(Stat("fresh.qlp").st_mode & 0777, 0666u & ~mask);
}

TEST_F(PosixFileStoreTest, HardLinksStayOneFileAndAFullDiskLeavesItAsItWas) {
  Put("demo.qlp", "old\r\n");
  ASSERT_EQ(::link((dir_ + "/demo.qlp").c_str(), (dir_ + "/link.qlp").c_str()), 0);
  const ino_t inode = Stat("demo.qlp").st_ino;
  EXPECT_EQ(store_.Write(Path("demo.qlp"), "new\r\n"), std::nullopt);
  EXPECT_EQ(Get("link.qlp"), "new\r\n");
  EXPECT_EQ(Stat("demo.qlp").st_ino, inode);
  EXPECT_EQ(Names(), (std::vector<std::string>{"demo.qlp", "link.qlp"}));

  // The space is reserved before the first byte is overwritten: a full disk leaves the file
  // as it was.
  const auto error = WriteUnderSizeLimit(store_, Path("demo.qlp"), std::string(100, 'x'), 50);
  EXPECT_EQ(error, u"File too large");
  EXPECT_EQ(Get("demo.qlp"), "new\r\n");
  EXPECT_EQ(Names(), (std::vector<std::string>{"demo.qlp", "link.qlp"}));
}

TEST_F(PosixFileStoreTest, AnotherUsersFileIsWrittenInPlaceUnlessTheUserMayNotWriteIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
  const struct {
    std::string name;
    mode_t mode;
    std::u16string error;
    std::string after;
  } rows[] = {
      // The new file could not be given the owner: written in place, after a private copy.
      {"shared.qlp", 0666, u"", "new\r\n"},
      // Not replaced although the folder would allow it.
      {"read-only.qlp", 0644, u"Permission denied", "old\r\n"},
  };
  for (const auto& row : rows) {
    Put(row.name, "old\r\n");
    ASSERT_EQ(::chmod((dir_ + "/" + row.name).c_str(), row.mode), 0);
  }
  const int status = InChild([&] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
      ::_exit(100);
    }
    int wrong = 0;  // bit i: row i gave another answer
    for (std::size_t i = 0; i < std::size(rows); ++i) {
      if (store_.Write(Path(rows[i].name), "new\r\n").value_or(u"") != rows[i].error) {
        wrong |= 1 << i;
      }
    }
    ::_exit(wrong);
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  for (const auto& row : rows) {
    EXPECT_EQ(Get(row.name), row.after);
    EXPECT_EQ(Stat(row.name).st_uid, 0u);
    EXPECT_EQ(Stat(row.name).st_mode & 07777, row.mode);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"read-only.qlp", "shared.qlp"}));
}

TEST_F(PosixFileStoreTest, AFileSwappedBetweenItsCheckAndItsOpeningIsNotWrittenThrough) {
  Put("victim.txt", "secret\n");
  Put("second.qlp", "old\r\n");
  const std::string victim = dir_ + "/victim.txt", swap = dir_ + "/swap";
  // Another user who may write the folder puts a link to another file in the file's place.
  using Swap = int (*)(const char*, const char*);
  for (const Swap make_link : {Swap{::symlink}, Swap{::link}}) {
    PosixFileStore store({.before_open = [&](const std::string& target) {
      ASSERT_EQ(make_link(victim.c_str(), swap.c_str()), 0);
      ASSERT_EQ(::rename(swap.c_str(), target.c_str()), 0);
    }});
    ASSERT_EQ(::link((dir_ + "/second.qlp").c_str(), (dir_ + "/demo.qlp").c_str()), 0);
    EXPECT_EQ(store.Write(Path("demo.qlp"), "new\r\n"),
              u"The file was replaced by another while it was being saved; nothing was written");
    EXPECT_EQ(Get("victim.txt"), "secret\n");
    EXPECT_EQ(Get("second.qlp"), "old\r\n");
    ASSERT_EQ(::unlink((dir_ + "/demo.qlp").c_str()), 0);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"second.qlp", "victim.txt"}));
}

TEST_F(PosixFileStoreTest, SavingThroughSymbolicLinksWritesTheirFinalTargetAndKeepsThem) {
  fs::create_directory(dir_ + "/sub");
  Put("real.qlp", "old\r\n");
  // A relative target counts from the folder of its link.
  const struct {
    std::string name, target;
  } links[] = {
      {"link.qlp", "real.qlp"},
      {"sub/inner.qlp", "../real.qlp"},
      {"outer.qlp", "sub/inner.qlp"},
      {"absolute.qlp", dir_ + "/real.qlp"},
  };
  for (const auto& l : links) {
    ASSERT_EQ(::symlink(l.target.c_str(), (dir_ + "/" + l.name).c_str()), 0);
  }
  // The last round writes in place: the target has a second hard link.
  for (const bool hard_link : {false, true}) {
    if (hard_link) {
      ASSERT_EQ(::link((dir_ + "/real.qlp").c_str(), (dir_ + "/hard.qlp").c_str()), 0);
    }
    for (const auto& l : links) {
      const std::string text = "saved through " + l.name + "\r\n";
      EXPECT_EQ(store_.Write(Path(l.name), text), std::nullopt) << l.name;
      EXPECT_EQ(Get("real.qlp"), text);
      std::error_code not_a_link;
      EXPECT_EQ(fs::read_symlink(dir_ + "/" + l.name, not_a_link), l.target);
    }
  }
  EXPECT_EQ(Get("hard.qlp"), Get("real.qlp"));
  // A link to nothing is refused rather than followed to create a file, and a loop ends.
  ASSERT_EQ(::symlink("missing.qlp", (dir_ + "/dangling.qlp").c_str()), 0);
  ASSERT_EQ(::symlink("loop-b.qlp", (dir_ + "/loop-a.qlp").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a.qlp", (dir_ + "/loop-b.qlp").c_str()), 0);
  EXPECT_EQ(store_.Write(Path("dangling.qlp"), "x"),
            u"Is a symbolic link to \"" + Path("missing.qlp") + u"\", which does not exist");
  EXPECT_EQ(store_.Write(Path("loop-a.qlp"), "x"), u"Too many levels of symbolic links");
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"absolute.qlp", "dangling.qlp", "hard.qlp", "link.qlp",
                                      "loop-a.qlp", "loop-b.qlp", "outer.qlp", "real.qlp", "sub"}));
  EXPECT_TRUE(fs::is_symlink(dir_ + "/dangling.qlp"));
}

TEST_F(PosixFileStoreTest, TheNextSaveRemovesWhatASaveThatWasKilledLeftAndNothingElse) {
  Put("demo.qlp", "old\r\n");
  // A save killed midway: the file-size limit stops the child's write, and it is killed there.
  const int status = InChild([&] {
    ::signal(SIGXFSZ, [](int) { ::raise(SIGKILL); });
    const rlimit small{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &small);
    (void)store_.Write(Path("demo.qlp"), std::string(8192, 'x'));
  });
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  const std::vector<std::string> after_kill = Names();
  ASSERT_EQ(after_kill.size(), 2u);
  const std::string leftover = after_kill[0];
  ASSERT_TRUE(leftover.starts_with(".quillan-save-")) << leftover;
  Age(leftover);

  // What stays: files of a save still running (locked), of one just begun, of another user,
  // a link under our name, a backup copy and a name of another pattern.
  enum Kind { kOld, kFresh, kLocked, kOtherOwner, kLink };
  const struct {
    std::string name;
    Kind kind;
  } kept[] = {
      {".quillan-save-Locked", kLocked},     {".quillan-save-Fresh1", kFresh},
      {".quillan-save-Other1", kOtherOwner}, {".quillan-save-Link01", kLink},
      {"demo.qlp.quillan-backup", kOld},     {".quillan-save-Longer7", kOld},
  };
  Put("victim", "x");
  Age("victim");
  int locked = -1;
  std::vector<std::string> expected = {"demo.qlp", "victim"};
  for (const auto& row : kept) {
    const std::string path = dir_ + "/" + row.name;
    if (row.kind == kOtherOwner && ::geteuid() != 0) {
      std::cout << "Not checked without root: a file of another user is kept\n";
      continue;
    }
    if (row.kind == kLink) {
      ASSERT_EQ(::symlink("victim", path.c_str()), 0);
    } else {
      Put(row.name, "x");
    }
    if (row.kind == kOtherOwner) {
      ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    if (row.kind == kLocked) {
      locked = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(::flock(locked, LOCK_EX), 0);
    }
    if (row.kind != kFresh) Age(row.name);
    expected.push_back(row.name);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(store_.Write(Path("demo.qlp"), "new\r\n"), std::nullopt);
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(Get("victim"), "x");
  ::close(locked);
}

TEST_F(PosixFileStoreTest, AFullDiskIsReportedAsSuchAndTheOldFileStays) {
  // A small tmpfs where the test may mount one; else a file-size limit fails the write.
  mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k") == 0;
  Put("demo.qlp", "old\r\n");
  const auto error = WriteUnderSizeLimit(store_, Path("demo.qlp"), std::string(200000, 'x'),
                                         mounted_ ? RLIM_INFINITY : 4096);
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, mounted_ ? u"No space left on device" : u"File too large");
  EXPECT_EQ(Get("demo.qlp"), "old\r\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"demo.qlp"});
}

TEST_F(PosixFileStoreTest, NamesThatAreNotUtf8OpenAndEveryNameRoundTrips) {
  Put("caf\xE9.qlp", "x = 1\r\n");
  const std::u16string path = Path("caf\xE9.qlp");
  EXPECT_TRUE(path.ends_with(u"caf\xDCE9.qlp"));
  EXPECT_EQ(store_.Read(path).bytes, "x = 1\r\n");
  EXPECT_EQ(PathFromNative("caf\xC3\xA9"), u"caf\u00E9");
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(rng() % 12, '\0');
    for (char& b : bytes) b = static_cast<char>(rng() % 256);
    ASSERT_EQ(NativePath(PathFromNative(bytes)), bytes) << "round " << round;
  }
}

}  // namespace
}  // namespace quillan::platform
