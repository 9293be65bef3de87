// The Win32 backend on real windows: the contract suite, the Code Generator's worked example
// and the file type's registry values. Built with mingw-w64 and run under Wine.
#include "platform/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/host.h"
#include "platform/win32/win32_file_store.h"
#include "platform/win32/win32_shell_integration.h"
#include "platform/win32/windows_api.h"
#include "platform/win32_test_windows.h"
#include "platform/window_system_contract.h"
#include "wintools/code_generator.h"
#include "wintools/window_spy.h"

namespace quillan::platform {
namespace {

using testing_support::BackendUnderTest;
using testing_support::TestRect;
using testing_support::WindowSystemContract;
using wintools::Hwnd;

RECT ToRect(TestRect r) { return {r.left, r.top, r.right, r.bottom}; }

class Win32Harness final : public testing_support::WindowSystemHarness {
 public:
  ~Win32Harness() override {
    for (HWND h : top_levels_) thread_.Destroy(h);
  }
  wintools::WindowSystem& System() override { return ws_; }
  Hwnd Create(std::u16string_view class_name, std::u16string_view text, Hwnd parent,
              TestRect rect) override {
    CreateRequest r{std::u16string(class_name),
                    std::u16string(text),
                    ToHandle(parent),
                    parent != 0,
                    false,
                    ToRect(rect)};
    return Made(r);
  }
  Hwnd CreateOwned(std::u16string_view class_name, std::u16string_view text, Hwnd owner,
                   TestRect rect, bool popup) override {
    CreateRequest r{std::u16string(class_name),
                    std::u16string(text),
                    ToHandle(owner),
                    false,
                    popup,
                    ToRect(rect)};
    return Made(r);
  }
  Hwnd CreatePainted(std::u16string_view class_name, TestRect rect, COLORREF color) {
    CreateRequest r{std::u16string(class_name), u"", nullptr, false, true, ToRect(rect), color};
    return Made(r);
  }
  void Destroy(Hwnd hwnd) override {
    thread_.Destroy(ToHandle(hwnd));
    top_levels_.erase(ToHandle(hwnd));
  }
  wintools::ScreenPoint ToScreen(Hwnd hwnd, int x, int y) override {
    POINT p{x, y};
    ::ClientToScreen(ToHandle(hwnd), &p);
    return {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)};
  }
  void MovePointer(wintools::ScreenPoint p) override { ::SetCursorPos(p.x, p.y); }
  void Sync() override { thread_.Sync(); }

 private:
  Hwnd Made(CreateRequest& r) {
    HWND h = thread_.Create(r);
    EXPECT_NE(h, nullptr) << "CreateWindowExW failed for a window of class "
                          << std::string(r.class_name.begin(), r.class_name.end());
    if (!r.child && h != nullptr) top_levels_.insert(h);
    thread_.Sync();
    return FromHandle(h);
  }

  WindowThread thread_;
  Win32WindowSystem ws_;
  std::set<HWND> top_levels_;
};

// Windows answers GetParent of an owned overlapped window with 0: only pop-ups report their owner.
INSTANTIATE_TEST_SUITE_P(Win32, WindowSystemContract,
                         ::testing::Values(BackendUnderTest{
                             "win32",
                             {.overlapped_owner_is_parent = false},
                             [] { return std::make_unique<Win32Harness>(); }}),
                         testing_support::BackendName);

TEST(Win32Backend, TheCodeGeneratorFindsRealWindowsAgain) {
  Win32Harness h;
  const Hwnd dialog = h.CreateOwned(u"#32770", u"Find", 0, {400, 400, 700, 640}, true);
  h.Create(u"Edit", u"", dialog, {10, 10, 200, 40});
  const Hwnd second = h.Create(u"Edit", u"", dialog, {10, 60, 200, 90});
  const Hwnd third = h.Create(u"Edit", u"", dialog, {10, 110, 200, 140});
  EXPECT_EQ(wintools::GenerateFinderCode(h.System(), second),
            u"Dim #32770 As Long\r\n"
            u"Dim Edit As Long\r\n"
            u"#32770& = FindWindow(\"#32770\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)\r\n");
  EXPECT_EQ(wintools::GenerateFinderCode(h.System(), third),
            u"Dim #32770 As Long\r\n"
            u"Dim Edit As Long\r\n"
            u"#32770& = FindWindow(\"#32770\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)\r\n"
            u"Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)\r\n");
}

TEST(Win32Backend, ToolsWorkOnRealWindows) {
  Win32Harness h;
  const Hwnd edit_parent = h.Create(u"Notepad", u"Untitled", 0, {100, 100, 400, 300});
  const Hwnd edit = h.Create(u"Edit", u"first", edit_parent, {10, 10, 200, 40});
  // WM_UNDO reaches a real edit control: the user's last edit is taken back.
  ::SendMessageW(ToHandle(edit), EM_SETSEL, 0, -1);
  ::SendMessageW(ToHandle(edit), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"second"));
  EXPECT_EQ(h.System().SendGetText(edit, 100), u"second");
  EXPECT_TRUE(h.System().SendUndo(edit));
  h.Sync();
  EXPECT_EQ(h.System().SendGetText(edit, 100), u"first");
  // Class names come back whole below the 100-unit buffer, and cut to 99 above it.
  const std::u16string long_class(120, u'K');
  const Hwnd long_named = h.Create(long_class, u"", 0, {450, 100, 500, 150});
  EXPECT_EQ(h.System().GetClassName(long_named, 100), long_class.substr(0, 99));
  // Color Spy reads what a window painted.
  const struct {
    COLORREF paint;
    const char16_t* html;
  } cases[] = {
      {RGB(255, 0, 0), u"#FF0000"}, {RGB(0, 0, 255), u"#0000FF"}, {RGB(0, 0, 15), u"#00000F"}};
  for (const auto& c : cases) {
    const Hwnd painted = h.CreatePainted(u"Paint", {600, 500, 700, 600}, c.paint);
    h.MovePointer(h.ToScreen(painted, 50, 50));
    wintools::ColorSpy spy;
    spy.Sample(h.System());
    EXPECT_EQ(spy.readout().html, c.html);
    h.Destroy(painted);
  }
}

TEST(Win32Registration, WritesTheProjectTypeForThisUser) {
  const std::u16string program = u"C:\\Program Files\\Quillan\\quillan.exe";
  const auto values = ProjectTypeRegistryValues(program);
  ASSERT_EQ(WriteProjectTypeRegistration(values), std::vector<std::u16string>{});
  auto read = [](std::u16string key, std::u16string name) {
    const std::u16string path = std::u16string(kUserClassesKey) + u"\\" + key;
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, Wide(path), Wide(name), RRF_RT_REG_SZ,
                                          nullptr, buffer, &size);
    return status == ERROR_SUCCESS ? std::u16string(reinterpret_cast<char16_t*>(buffer))
                                   : std::u16string(u"<not readable>");
  };
  EXPECT_EQ(read(u".qlp", u""), u"Quillan Project");
  EXPECT_EQ(read(u".qlp", u"Content Type"), u"text/plain");
  EXPECT_EQ(read(u"Quillan Project", u""), u"Quillan Project");
  EXPECT_EQ(read(u"Quillan Project\\DefaultIcon", u""), u"C:\\Program Files\\Quillan\\icon.ico");
  EXPECT_EQ(read(u"Quillan Project\\Shell", u""), u"");
  EXPECT_EQ(read(u"Quillan Project\\Shell\\Open\\command", u""),
            u"\"C:\\Program Files\\Quillan\\quillan.exe\" \"%1\"");
  DWORD flags = 99, size = sizeof flags;
  EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Classes\\Quillan Project", L"EditFlags",
                           RRF_RT_REG_DWORD, nullptr, &flags, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(flags, 0u);

  // Moving the program and registering again rewrites the paths; a program at the root of a
  // drive gets no doubled backslash. The shell port takes either slash.
  Win32ShellIntegration().RegisterProjectType(u"D:/Tools \u00e9/quillan.exe");
  EXPECT_EQ(read(u"Quillan Project\\Shell\\Open\\command", u""),
            u"\"D:\\Tools \u00e9\\quillan.exe\" \"%1\"");
  EXPECT_EQ(ProjectTypeRegistryValues(u"C:\\quillan.exe")[4].text, u"C:\\icon.ico");
}

TEST(Win32FileStore, WritesSafelyAndRefusesWhatIsNoFile) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::u16string folder =
      std::u16string(reinterpret_cast<char16_t*>(temp)) + u"quillan store \u0416";
  ::CreateDirectoryW(Wide(folder), nullptr);
  const std::u16string path = folder + u"\\project \u00e9.qlp";
  const auto store = MakeFileStore();
  EXPECT_EQ(store->PathSeparator(), u'\\');

  EXPECT_FALSE(store->Read(path).bytes);
  EXPECT_NE(store->Read(path).error, u"");
  EXPECT_EQ(store->Write(path, "first\r\n"), std::nullopt);
  const auto stamp = store->Stamp(path);
  EXPECT_EQ(store->Write(path, std::string(100000, 'x')), std::nullopt);
  const auto read = store->Read(path);
  EXPECT_EQ(read.bytes, std::string(100000, 'x'));
  EXPECT_FALSE(stamp->SameFileState(read.stamp));
  auto bytes = OpenFileBytes(path);
  std::string piece;
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes->Size(), 100000u);
  EXPECT_TRUE(bytes->Read(99998, 2, piece));
  EXPECT_EQ(piece, "xx");
  EXPECT_FALSE(bytes->Read(99999, 2, piece));
  bytes.reset();

  // A file another program holds open without sharing cannot be replaced: the write fails,
  // the old content stays, and no temporary file of ours is left behind. (Wine's ReplaceFileW
  // leaves one of its own, rf*.tmp, which Windows does not.)
  HANDLE held = ::CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_NE(store->Write(path, "lost"), std::nullopt);
  ::CloseHandle(held);
  EXPECT_EQ(store->Read(path).bytes, std::string(100000, 'x'));
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(Wide(folder + u"\\.quillan-save-*"), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) ::FindClose(search);

  // Folders and devices are refused before anything is read or written.
  EXPECT_EQ(store->Read(folder).error, u"Is a folder, not a project file");
  EXPECT_EQ(store->Write(folder, "x"), u"Is a folder, not a project file");
  EXPECT_FALSE(store->Read(u"NUL").bytes);
  EXPECT_EQ(OpenFileBytes(u"NUL"), nullptr);

  // Paths of the command line and the current folder.
  EXPECT_TRUE(IsAbsolutePath(u"C:\\x.qlp"));
  EXPECT_TRUE(IsAbsolutePath(u"\\\\server\\share\\x.qlp"));
  EXPECT_FALSE(IsAbsolutePath(u"x.qlp"));
  EXPECT_FALSE(IsAbsolutePath(u"C:x.qlp"));
  EXPECT_TRUE(IsAbsolutePath(CurrentFolder()));
  ::DeleteFileW(Wide(path));
  ::RemoveDirectoryW(Wide(folder));
}

TEST(Win32FileStore, TheNextSaveRemovesWhatASaveThatWasKilledLeftAndNothingElse) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::u16string folder =
      std::u16string(reinterpret_cast<char16_t*>(temp)) + u"quillan leftovers";
  auto path = [&folder](std::u16string_view name) { return folder + u"\\" + std::u16string(name); };
  auto names = [&path] {
    std::set<std::u16string> found;
    WIN32_FIND_DATAW entry;
    HANDLE listing = ::FindFirstFileW(Wide(path(u"*")), &entry);
    if (listing == INVALID_HANDLE_VALUE) return found;
    do {
      const std::u16string name(reinterpret_cast<const char16_t*>(entry.cFileName));
      if (name != u"." && name != u"..") found.insert(name);
    } while (::FindNextFileW(listing, &entry) != 0);
    ::FindClose(listing);
    return found;
  };
  auto clear = [&] {
    for (const std::u16string& name : names()) {
      if (::DeleteFileW(Wide(path(name))) == 0) ::RemoveDirectoryW(Wide(path(name)));
    }
  };
  ::CreateDirectoryW(Wide(folder), nullptr);
  clear();  // what an earlier run that failed may have left
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  ticks.QuadPart -= 36'000'000'000ull;  // an hour, in 100-nanosecond ticks
  const FILETIME hour_ago{ticks.LowPart, ticks.HighPart};

  // A save killed midway leaves its temporary file, written an hour ago and open nowhere. What
  // stays: the file of a save still writing (open without sharing, as a save holds it), of
  // one just begun, a folder under our name and names of another pattern.
  enum Kind { kLeftover, kHeld, kFresh, kFolder, kOther };
  const struct {
    std::u16string name;
    Kind kind;
  } files[] = {
      {u".quillan-save-4242-1.tmp", kLeftover}, {u".quillan-save-4242-2.tmp", kHeld},
      {u".quillan-save-4242-3.tmp", kFresh},    {u".quillan-save-4242-4.tmp", kFolder},
      {u".quillan-save-x-1.tmp", kOther},       {u"notes.tmp", kOther},
  };
  HANDLE held = INVALID_HANDLE_VALUE;
  std::set<std::u16string> expected = {u"project.qlp"};
  for (const auto& file : files) {
    if (file.kind == kFolder) {
      ASSERT_NE(::CreateDirectoryW(Wide(path(file.name)), nullptr), 0);
    }
    HANDLE h = file.kind == kFolder
                   ? ::CreateFileW(Wide(path(file.name)), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                   : ::CreateFileW(Wide(path(file.name)), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (file.kind != kFolder) {
      ASSERT_NE(::WriteFile(h, "x", 1, &written, nullptr), 0);
    }
    if (file.kind != kFresh) {
      ASSERT_NE(::SetFileTime(h, nullptr, nullptr, &hour_ago), 0);
    }
    if (file.kind == kHeld) {
      held = h;
    } else {
      ::CloseHandle(h);
    }
    if (file.kind != kLeftover) expected.insert(file.name);
  }

  EXPECT_EQ(MakeFileStore()->Write(path(u"project.qlp"), "saved\r\n"), std::nullopt);
  EXPECT_EQ(names(), expected);
  ::CloseHandle(held);
  clear();
  ::RemoveDirectoryW(Wide(folder));
}

}  // namespace
}  // namespace quillan::platform
