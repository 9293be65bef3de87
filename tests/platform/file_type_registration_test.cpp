#include "platform/file_type_registration.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
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

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command; returns its exit status and leaves its output in `output`.
int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char chunk[256];
  while (std::fgets(chunk, sizeof chunk, pipe)) output += chunk;
  return pclose(pipe);
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
    home_ = pattern;
  }
  void TearDown() override { fs::remove_all(home_); }

  RegistrationReport Register(std::string program) {
    return RegisterFileType({home_, std::move(program), {{16, "png-16"}, {48, "png-48"}}, {}});
  }
  // Runs the database tools as the program would, but waits for them.
  void Refresh(const RegistrationReport& report) {
    for (const RefreshCommand& command : report.refresh) {
      std::string line = command.program, output;
      for (const std::string& argument : command.arguments) line += " " + ShellQuote(argument);
      ASSERT_EQ(RunCommand(line, output), 0) << line << "\n" << output;
    }
  }

  fs::path home_;
};

TEST(QuoteExecArgument, EscapesForTheLauncherAndTheKeyFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/My Tools/quillan", R"("/opt/My Tools/quillan")"},
      // \ is escaped for the quoting and again for the key file: four in all.
      {R"(/opt/a\b)", R"("/opt/a\\\\b")"},
      {R"(/opt/"q"/$HOME/`x`)", R"("/opt/\\"q\\"/\\$HOME/\\`x\\`")"},
      {"/opt/100%/quillan", R"("/opt/100%%/quillan")"},
  };
  for (const auto& [argument, expected] : cases) {
    EXPECT_EQ(QuoteExecArgument(argument), expected) << argument;
  }
}

TEST_F(RegistrationTest, WritesTheTypeTheEntryAndTheIcons) {
  const RegistrationReport report = Register("/opt/My Tools/quillan");
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(report.written.size(), 4u);
  const std::string xml = Slurp(home_ / "mime/packages/quillan.xml");
  for (const char* part :
       {"type=\"application/x-quillan-project\"", "<comment>Quillan Project</comment>",
        "<sub-class-of type=\"text/plain\"/>", "<icon name=\"quillan\"/>", "\"*.qlp\""}) {
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  }
  const std::string entry = Slurp(home_ / "applications/quillan.desktop");
  for (const char* line : {"\nExec=\"/opt/My Tools/quillan\" %f\n", "\nIcon=quillan\n",
                           "\nMimeType=application/x-quillan-project;\n"}) {
    EXPECT_NE(entry.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(Slurp(home_ / "icons/hicolor/48x48/apps/quillan.png"), "png-48");
  ASSERT_EQ(report.refresh.size(), 3u);
  EXPECT_EQ(report.refresh[0].program, "update-mime-database");
  EXPECT_EQ(report.refresh[1].program, "update-desktop-database");
  EXPECT_EQ(report.refresh[2].program, "gtk-update-icon-cache");
  EXPECT_EQ(report.refresh[2].arguments.back(), (home_ / "icons/hicolor").string());
}

// A program path holding `%` cannot be the command's first word, which launchers look up
// before they expand `%%`: env starts it, or sh where env would take the path for a variable.
// Reading the entry back gives the path in every form.
TEST(DesktopEntry, ExecLineStartsAnyPathAndReadsBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/quillan", R"(Exec="/usr/bin/quillan" %f)"},
      {"/opt/100%/quillan", R"(Exec=env "/opt/100%%/quillan" %f)"},
      {"/opt/a=b 5%/quillan",
       R"(Exec=sh -c "exec \\"\\$0\\" \\"\\$@\\"" "/opt/a=b 5%%/quillan" %f)"},
  };
  for (const auto& [path, exec] : cases) {
    const std::string entry = DesktopEntry(path);
    EXPECT_NE(entry.find(std::string("\n") + exec + "\n"), std::string::npos) << entry;
    EXPECT_EQ(ExecProgram(entry), path);
  }
  EXPECT_EQ(ExecProgram("[Desktop Entry]\nExec=env LANG=C \"/usr/bin/quillan\" %f\n"),
            "/usr/bin/quillan");
}

// The validator checks the Exec line's quoting and escapes, which the launcher undoes.
TEST_F(RegistrationTest, DesktopEntryPassesTheValidator) {
  if (!Installed("desktop-file-validate")) GTEST_SKIP() << "desktop-file-utils not installed";
  for (const char* program : {R"(/tmp/My Programs/"odd" $x `y` 50% back\slash/quillan)",
                              R"(/tmp/a=b 50% "odd"/quillan)"}) {
    Register(program);
    std::string output;
    const std::string entry = (home_ / "applications/quillan.desktop").string();
    EXPECT_EQ(RunCommand("desktop-file-validate " + ShellQuote(entry), output), 0) << output;
    EXPECT_EQ(output.find("error"), std::string::npos) << output;
  }
}

TEST_F(RegistrationTest, SecondStartupRewritesNothing) {
  if (!Installed("update-mime-database") || !Installed("update-desktop-database") ||
      !Installed("gtk-update-icon-cache")) {
    GTEST_SKIP() << "shared-mime-info, desktop-file-utils or gtk-update-icon-cache not installed";
  }
  const RegistrationReport first = Register("/opt/quillan/quillan");
  Refresh(first);
  EXPECT_TRUE(fs::exists(home_ / "mime/application/x-quillan-project.xml"));
  // The icon cache the tool wrote counts as current: no start refreshes it again.
  EXPECT_TRUE(fs::exists(home_ / "icons/hicolor/icon-theme.cache"));
  std::vector<fs::file_time_type> times;
  for (const fs::path& path : first.written) times.push_back(fs::last_write_time(path));

  const RegistrationReport second = Register("/opt/quillan/quillan");
  EXPECT_TRUE(second.written.empty());
  EXPECT_TRUE(second.refresh.empty());
  for (std::size_t i = 0; i < times.size(); ++i) {
    EXPECT_EQ(fs::last_write_time(first.written[i]), times[i]) << first.written[i];
  }
  // A moved program rewrites only its desktop entry.
  const RegistrationReport moved = Register("/usr/local/bin/quillan");
  ASSERT_EQ(moved.written.size(), 1u);
  EXPECT_EQ(moved.written[0], home_ / "applications/quillan.desktop");
}

TEST_F(RegistrationTest, FailuresAreReportedNotThrown) {
  // A file where the applications folder should be: that part fails, the rest goes on.
  std::ofstream(home_ / "applications") << "not a folder";
  const RegistrationReport report = Register("/opt/quillan/quillan");
  EXPECT_EQ(report.errors.size(), 1u);
  EXPECT_TRUE(fs::exists(home_ / "mime/packages/quillan.xml"));
  EXPECT_FALSE(RegisterFileType(RegistrationRequest{}).errors.empty());
}

TEST_F(RegistrationTest, AnInstalledProgramLeavesTheUsersFolderAlone) {
  // A program "installed" in a system data folder whose entry names it, odd characters and
  // all; a copy elsewhere, and the same program reached through a symbolic link.
  const fs::path system = home_ / "system", data = home_ / "data";
  const fs::path program = home_ / "bin dir" / "qu$llan";
  fs::create_directories(program.parent_path());
  std::ofstream(program) << "#!/bin/sh\n";
  fs::create_symlink(program, home_ / "link");
  fs::create_directories(system / "applications");
  std::ofstream(system / "applications/quillan.desktop") << DesktopEntry(program.string());
  EXPECT_EQ(ExecProgram(DesktopEntry(program.string())), program.string());
  EXPECT_EQ(ExecProgram("[Other]\nExec=/x\n[Desktop Entry]\nExec=quillan %f\n"), "quillan");

  for (const auto& [path, served] : {std::pair{program.string(), true},
                                     {(home_ / "link").string(), true},
                                     {"/opt/quillan/quillan", false}}) {
    fs::remove_all(data);
    const RegistrationReport report =
        RegisterFileType({data, path, {{16, "png"}}, {home_ / "missing", system}});
    EXPECT_EQ(report.served_by_system, served) << path;
    EXPECT_EQ(fs::exists(data), !served) << path;
  }
}

}  // namespace
}  // namespace quillan::platform
