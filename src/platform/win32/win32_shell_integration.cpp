#include "platform/win32/win32_shell_integration.h"

// clang-format off
#include "platform/win32/windows_api.h"
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include "text/vb_string.h"

namespace quillan::platform {

namespace {

constexpr std::u16string_view kTypeName = u"Quillan Project";

std::u16string Describe(const RegistryValue& v, LSTATUS status) {
  std::u16string what = u"HKEY_CURRENT_USER\\" + std::u16string(kUserClassesKey) + u"\\" + v.key;
  if (!v.name.empty()) what += u" \"" + v.name + u"\"";
  return what + u": error " + text::FromUtf8(std::to_string(status));
}

}  // namespace

std::vector<RegistryValue> ProjectTypeRegistryValues(std::u16string_view program_path) {
  const std::size_t slash = program_path.find_last_of(u'\\');
  // The folder keeps its trailing backslash, so a program at the root of a drive (C:\) does
  // not get a second one.
  const std::u16string folder(slash == std::u16string_view::npos
                                  ? std::u16string_view()
                                  : program_path.substr(0, slash + 1));
  const std::u16string type(kTypeName);
  const std::u16string command = u"\"" + std::u16string(program_path) + u"\" \"%1\"";
  return {
      {u".qlp", u"", false, type, 0},
      {u".qlp", u"Content Type", false, u"text/plain", 0},
      {type, u"", false, type, 0},
      {type, u"EditFlags", true, u"", 0},
      {type + u"\\DefaultIcon", u"", false, folder + u"icon.ico", 0},
      {type + u"\\Shell", u"", false, u"", 0},
      {type + u"\\Shell\\Open", u"", false, u"", 0},
      {type + u"\\Shell\\Open\\command", u"", false, command, 0},
  };
}

std::vector<std::u16string> WriteProjectTypeRegistration(const std::vector<RegistryValue>& values) {
  std::vector<std::u16string> errors;
  for (const RegistryValue& v : values) {
    const std::u16string path = std::u16string(kUserClassesKey) + u"\\" + v.key;
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
      if (v.is_dword) {
        const DWORD data = v.number;
        status = ::RegSetValueExW(key, Wide(v.name), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&data), sizeof data);
      } else {
        // The size counts the terminating zero, so that every reader finds the end.
        status = ::RegSetValueExW(key, Wide(v.name), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(v.text.c_str()),
                                  static_cast<DWORD>((v.text.size() + 1) * sizeof(char16_t)));
      }
      ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) errors.push_back(Describe(v, status));
  }
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return errors;
}

void Win32ShellIntegration::RegisterProjectType(std::u16string_view program_path) {
  std::u16string path(program_path);
  for (char16_t& ch : path) {
    if (ch == u'/') ch = u'\\';
  }
  WriteProjectTypeRegistration(ProjectTypeRegistryValues(path));
}

void Win32ShellIntegration::OpenUrl(std::string_view url) {
  // Only web addresses are opened: ShellExecute would run a program named by anything else.
  if (!url.starts_with("https://") && !url.starts_with("http://")) return;
  const std::u16string wide = text::FromUtf8(url);
  ::ShellExecuteW(nullptr, L"open", Wide(wide), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quillan::platform
