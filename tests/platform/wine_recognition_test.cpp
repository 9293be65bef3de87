// Telling a Windows program under Wine, and its prefix, from a process's executable and
// environment: the rule on a table of environments, then once on a real process.
#include "platform/wine/wine_recognition.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillan::platform {
namespace {

using Environment = std::vector<std::pair<std::string, std::string>>;

std::string Block(const std::vector<std::string>& entries) {
  std::string block;
  for (const std::string& e : entries) block += e + '\0';
  return block;
}

// One link on the test's file system; everything else is its own real path.
std::string FakeRealPath(const std::string& path) {
  return path == "/home/u/games" ? "/data/games" : path;
}

struct Expected {
  std::string loader;
  Environment environment;
  std::string key;
  std::u16string name;
};

struct Case {
  const char* what;
  std::string exe;
  std::vector<std::string> environ;
  std::optional<Expected> expected;
};

TEST(WineRecognition, TheRuleOnATableOfProcesses) {
  const std::string loader = "WINELOADER=/usr/lib/wine/wine64";
  const Case cases[] = {
      {"a program of an explicit prefix, with its session's variables",
       "/usr/lib/wine/wine64",
       {"WINEPREFIX_OLD=/nowhere", loader, "WINEPREFIX=/home/u/games/", "TMPDIR=/tmp/user/1000",
        "HOME=/home/u", "DISPLAY=:0", "LANG=C", "WINEPREFIX=/ignored"},
       Expected{"/usr/lib/wine/wine64",
                {{"WINEPREFIX", "/home/u/games"},
                 {"TMPDIR", "/tmp/user/1000"},
                 {"HOME", "/home/u"},
                 {"DISPLAY", ":0"}},
                "/data/games\n/tmp/user/1000\n",
                u"/home/u/games"}},
      {"the default prefix, Wine's default TMPDIR, a wineserver of its own",
       "/usr/lib/wine/wine64-preloader (deleted)",
       {loader, "HOME=/home/u/", "WINESERVER=/opt/wine/wineserver"},
       Expected{"/usr/lib/wine/wine64",
                {{"WINEPREFIX", "/home/u/.wine"},
                 {"TMPDIR", "/tmp"},
                 {"WINESERVER", "/opt/wine/wineserver"},
                 {"HOME", "/home/u/"}},
                "/home/u/.wine\n/tmp\n/opt/wine/wineserver",
                u"/home/u/.wine"}},
      {"a loader of another name, run as WINELOADER names it",
       "/opt/wine-devel/bin/wine-devel",
       {"WINELOADER=/opt/wine-devel/bin/wine-devel", "WINEPREFIX=/srv/p"},
       Expected{"/opt/wine-devel/bin/wine-devel",
                {{"WINEPREFIX", "/srv/p"}, {"TMPDIR", "/tmp"}},
                "/srv/p\n/tmp\n",
                u"/srv/p"}},
      {"a Linux program that a Windows program started",
       "/usr/bin/firefox",
       {loader, "WINEPREFIX=/home/u/games", "HOME=/home/u"},
       std::nullopt},
      {"a loader without WINELOADER", "/usr/lib/wine/wine64", {"HOME=/home/u"}, std::nullopt},
      {"a prefix that is no absolute path",
       "/usr/lib/wine/wine64",
       {loader, "WINEPREFIX=games", "HOME=/home/u"},
       std::nullopt},
      {"no prefix and no home", "/usr/lib/wine/wine64", {loader}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto prefix = WinePrefixOf(c.exe, Block(c.environ), FakeRealPath);
    ASSERT_EQ(prefix.has_value(), c.expected.has_value());
    if (!prefix) continue;
    EXPECT_EQ(prefix->loader, c.expected->loader);
    EXPECT_EQ(prefix->environment, c.expected->environment);
    EXPECT_EQ(prefix->key, c.expected->key);
    EXPECT_EQ(prefix->name, c.expected->name);
  }
}

TEST(WineRecognition, ARunningProcessIsReadFromProc) {
  // A stand-in for Wine's loader: a copy of sleep under the loader's name.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quillan-wine-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path fake_loader = folder / "wine64";
  std::filesystem::copy_file("/bin/sleep", fake_loader,
                             std::filesystem::copy_options::overwrite_existing);
  std::string arg0 = fake_loader.string(), arg1 = "30";
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  std::string e0 = "WINELOADER=" + fake_loader.string(), e1 = "WINEPREFIX=/srv/prefix",
              e2 = "HOME=/home/u";
  char* envp[] = {e0.data(), e1.data(), e2.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, envp), 0);
  // The environment is the new program's once exec has happened.
  std::optional<WinePrefix> prefix;
  for (int i = 0; i < 200 && !prefix; ++i) {
    prefix = RecognizeWineProcess(pid);
    if (!prefix) ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(prefix.has_value());
  EXPECT_EQ(prefix->loader, fake_loader.string());
  EXPECT_EQ(prefix->name, u"/srv/prefix");
  // This test is no Windows program; a process that is gone is none either.
  EXPECT_FALSE(RecognizeWineProcess(::getpid()).has_value());
  EXPECT_FALSE(RecognizeWineProcess(pid).has_value());
}

}  // namespace
}  // namespace quillan::platform
