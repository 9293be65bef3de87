#include "platform/file_type_registration.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace quillan::platform {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a shell command with its output captured; returns the exit status.
int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char chunk[256];
  while (std::fgets(chunk, sizeof chunk, pipe)) output += chunk;
  return pclose(pipe);
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

bool Installed(const char* tool) {
  std::string ignored;
  return RunCommand(std::string("command -v ") + tool, ignored) == 0;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quillan-registration-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    data_home_ = pattern;
  }
  void TearDown() override { fs::remove_all(data_home_); }

  RegistrationRequest Request(std::string program) const {
    return RegistrationRequest{data_home_, std::move(program), {{16, "png-16"}, {48, "png-48"}}};
  }

  // Runs the refresh commands as the program would, but waits for them.
  void RunRefresh(const RegistrationReport& report) {
    for (const RefreshCommand& command : report.refresh) {
      std::string line = command.program;
      for (const std::string& argument : command.arguments) line += " " + ShellQuote(argument);
      std::string output;
      ASSERT_EQ(RunCommand(line, output), 0) << line << "\n" << output;
    }
  }

  fs::path data_home_;
};

TEST(QuoteExecArgument, EscapesForTheLauncherAndTheKeyFile) {
  struct Case {
    const char* argument;
    const char* expected;
  };
  for (const Case& c : {
           Case{"/usr/bin/quillan", R"("/usr/bin/quillan")"},
           Case{"/opt/My Tools/quillan", R"("/opt/My Tools/quillan")"},
           // \ is escaped for the quoting and again for the key file: four in all.
           Case{R"(/opt/a\b)", R"("/opt/a\\\\b")"},
           Case{R"(/opt/"q"/x)", R"("/opt/\\"q\\"/x")"},
           Case{"/opt/$HOME/`x`", R"("/opt/\\$HOME/\\`x\\`")"},
           Case{"/opt/100%/quillan", R"("/opt/100%%/quillan")"},
       }) {
    EXPECT_EQ(QuoteExecArgument(c.argument), c.expected) << c.argument;
  }
}

TEST_F(RegistrationTest, WritesTheTypeTheEntryAndTheIcons) {
  const RegistrationReport report = RegisterFileType(Request("/opt/My Tools/quillan"));
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(report.written.size(), 4u);

  const std::string xml = Slurp(data_home_ / "mime/packages/quillan.xml");
  for (const char* part :
       {"type=\"application/x-quillan-project\"", "<comment>Quillan Project</comment>",
        "<sub-class-of type=\"text/plain\"/>", "<icon name=\"quillan\"/>",
        "<glob pattern=\"*.qlp\"/>"}) {
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  }
  const std::string entry = Slurp(data_home_ / "applications/quillan.desktop");
  EXPECT_NE(entry.find("\nExec=\"/opt/My Tools/quillan\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nMimeType=application/x-quillan-project;\n"), std::string::npos);
  EXPECT_NE(entry.find("\nIcon=quillan\n"), std::string::npos);
  EXPECT_EQ(Slurp(data_home_ / "icons/hicolor/16x16/apps/quillan.png"), "png-16");
  EXPECT_EQ(Slurp(data_home_ / "icons/hicolor/48x48/apps/quillan.png"), "png-48");

  ASSERT_EQ(report.refresh.size(), 2u);
  EXPECT_EQ(report.refresh[0].program, "update-mime-database");
  EXPECT_EQ(report.refresh[0].arguments, std::vector<std::string>{(data_home_ / "mime").string()});
  EXPECT_EQ(report.refresh[1].program, "update-desktop-database");
}

TEST_F(RegistrationTest, DesktopEntryPassesTheValidator) {
  if (!Installed("desktop-file-validate")) GTEST_SKIP() << "desktop-file-utils not installed";
  for (const char* program : {"/usr/bin/quillan", "/home/ann/My Programs/quillan",
                              R"(/tmp/odd "name" $x `y` 50% back\slash/quillan)"}) {
    SCOPED_TRACE(program);
    RegisterFileType(Request(program));
    std::string output;
    const fs::path entry = data_home_ / "applications/quillan.desktop";
    EXPECT_EQ(RunCommand("desktop-file-validate " + ShellQuote(entry.string()), output), 0) << output;
    EXPECT_EQ(output.find("error"), std::string::npos) << output;
  }
}

TEST_F(RegistrationTest, SecondStartupRewritesNothing) {
  const RegistrationReport first = RegisterFileType(Request("/opt/quillan/quillan"));
  ASSERT_TRUE(first.errors.empty());
  const bool tools = Installed("update-mime-database") && Installed("update-desktop-database");
  if (tools) {
    RunRefresh(first);
    // The refreshed databases know the type and the entry.
    EXPECT_TRUE(fs::exists(data_home_ / "mime/application/x-quillan-project.xml"));
    EXPECT_NE(Slurp(data_home_ / "applications/mimeinfo.cache")
                  .find("application/x-quillan-project=quillan.desktop;"),
              std::string::npos);
  }
  std::vector<fs::file_time_type> times;
  for (const fs::path& path : first.written) times.push_back(fs::last_write_time(path));

  const RegistrationReport second = RegisterFileType(Request("/opt/quillan/quillan"));
  EXPECT_TRUE(second.errors.empty());
  EXPECT_TRUE(second.written.empty());
  for (std::size_t i = 0; i < times.size(); ++i) {
    EXPECT_EQ(fs::last_write_time(first.written[i]), times[i]) << first.written[i];
  }
  if (tools) {
    EXPECT_TRUE(second.refresh.empty());
  }
}

TEST_F(RegistrationTest, MovedProgramRewritesOnlyTheEntry) {
  RunRefresh(RegisterFileType(Request("/opt/quillan/quillan")));
  const RegistrationReport moved = RegisterFileType(Request("/usr/local/bin/quillan"));
  ASSERT_EQ(moved.written.size(), 1u);
  EXPECT_EQ(moved.written[0], data_home_ / "applications/quillan.desktop");
  ASSERT_FALSE(moved.refresh.empty());
  EXPECT_EQ(moved.refresh.back().program, "update-desktop-database");
}

TEST_F(RegistrationTest, FailuresAreReportedNotThrown) {
  // A file where the applications folder should be: that part fails, the rest goes on.
  std::ofstream(data_home_ / "applications") << "not a folder";
  const RegistrationReport report = RegisterFileType(Request("/opt/quillan/quillan"));
  EXPECT_FALSE(report.errors.empty());
  EXPECT_TRUE(fs::exists(data_home_ / "mime/packages/quillan.xml"));
  EXPECT_FALSE(RegisterFileType(RegistrationRequest{}).errors.empty());
}

TEST(WriteIfChanged, WritesOnlyADifferentContent) {
  std::string pattern = (fs::temp_directory_path() / "quillan-write-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path file = fs::path(pattern) / "a/b/file.txt";
  std::error_code error;
  EXPECT_TRUE(WriteIfChanged(file, "one", error));
  EXPECT_FALSE(WriteIfChanged(file, "one", error));
  EXPECT_FALSE(error);
  EXPECT_TRUE(WriteIfChanged(file, "two", error));
  EXPECT_EQ(Slurp(file), "two");
  EXPECT_FALSE(fs::exists(fs::path(file) += ".new"));
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace quillan::platform
