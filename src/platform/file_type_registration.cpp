#include "platform/file_type_registration.h"

#include <fstream>
#include <iterator>

namespace quillan::platform {
namespace fs = std::filesystem;

namespace {

// Reads the whole file into out; false when it cannot be read.
bool ReadWhole(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// True when the file exists and holds `needle`.
bool FileMentions(const fs::path& path, std::string_view needle) {
  std::string content;
  return ReadWhole(path, content) && content.find(needle) != std::string::npos;
}

void Register(const fs::path& path, std::string_view content, RegistrationReport& report,
              bool* changed = nullptr) {
  std::error_code error;
  const bool written = WriteIfChanged(path, content, error);
  if (error) report.errors.push_back(path.string() + ": " + error.message());
  if (written) report.written.push_back(path);
  if (changed) *changed = written;
}

// Whether the icon cache of the theme folder `theme` is missing or older than the folders
// it covers that hold our icons: programs ignore such a cache and look in every folder.
bool IconCacheStale(const fs::path& theme, const std::vector<IconPicture>& icons) {
  std::error_code error;
  const fs::file_time_type cache = fs::last_write_time(theme / "icon-theme.cache", error);
  if (error) return true;
  std::vector<fs::path> folders{theme};
  for (const IconPicture& icon : icons) {
    const std::string size = std::to_string(icon.size);
    folders.push_back(theme / (size + "x" + size));
    folders.push_back(theme / (size + "x" + size) / "apps");
  }
  for (const fs::path& folder : folders) {
    const fs::file_time_type changed = fs::last_write_time(folder, error);
    if (error || changed > cache) return true;
  }
  return false;
}

}  // namespace

std::string QuoteExecArgument(std::string_view argument) {
  // Inside double quotes, ", `, $ and \ are escaped with a backslash; % is doubled because
  // the launcher expands field codes everywhere.
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted.push_back('\\');
    if (c == '%') quoted.push_back('%');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  // The key's value is a string, whose own escapes apply first when the file is read.
  std::string escaped;
  escaped.reserve(quoted.size());
  for (char c : quoted) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      default:
        escaped.push_back(c);
    }
  }
  return escaped;
}

namespace {

// The script that starts its first argument with the others, for paths env cannot start.
constexpr std::string_view kStartScript = R"(exec "$0" "$@")";

// The Exec key's command for the program. Launchers look the first word up before they expand
// the field codes, so a program path holding `%` (written `%%`) cannot be the first word: env
// starts it instead, or, for a path env would take for a variable (one holding `=`), sh does.
std::string ExecCommand(std::string_view program_path) {
  if (program_path.find('%') == std::string_view::npos) return QuoteExecArgument(program_path);
  if (program_path.find('=') == std::string_view::npos) {
    return "env " + QuoteExecArgument(program_path);
  }
  return "sh -c " + QuoteExecArgument(kStartScript) + " " + QuoteExecArgument(program_path);
}

// The words of an Exec value as the launcher passes them: the string's escapes undone, then
// the quoting, then `%%` made `%`. The other field codes stay as they are.
std::vector<std::string> ExecWords(std::string_view value) {
  std::string unescaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char next = value[++i];
      unescaped.push_back(next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next);
    } else {
      unescaped.push_back(value[i]);
    }
  }
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (std::size_t i = 0; i < unescaped.size(); ++i) {
    const char c = unescaped[i];
    if (c == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
      word.push_back('%');
      in_word = true;
      ++i;
    } else if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        if (c == '\\' && i + 1 < unescaped.size()) ++i;
        word.push_back(unescaped[i]);
      }
    } else if (c == ' ') {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      in_word = true;
      if (c == '"') {
        quoted = true;
      } else {
        word.push_back(c);
      }
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

}  // namespace

std::string DesktopEntry(std::string_view program_path) {
  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Version=1.4\n"
      "Name=Quillan\n"
      "GenericName=Visual Basic Code Editor\n"
      "Comment=Write Visual Basic code and keep it in Quillan projects\n"
      "Exec=";
  entry += ExecCommand(program_path);
  entry += " %f\n";
  entry += "Icon=";
  entry += kDesktopName;
  entry += "\nTerminal=false\nCategories=Development;IDE;\nMimeType=";
  entry += kProjectMimeType;
  entry += ";\n";
  return entry;
}

std::string ExecProgram(std::string_view entry) {
  bool in_main_group = false;
  std::string_view value;
  for (std::size_t start = 0; start < entry.size();) {
    std::size_t end = entry.find('\n', start);
    if (end == std::string_view::npos) end = entry.size();
    const std::string_view line = entry.substr(start, end - start);
    start = end + 1;
    if (line.starts_with('[')) {
      in_main_group = line == "[Desktop Entry]";
    } else if (in_main_group && line.starts_with("Exec=")) {
      value = line.substr(5);
      break;
    }
  }
  const std::vector<std::string> words = ExecWords(value);
  if (words.empty()) return {};
  // env starts the first word after its variable settings; our start script, its argument.
  if (words[0] == "env") {
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (words[i].find('=') == std::string::npos) return words[i];
    }
    return {};
  }
  if (words.size() >= 4 && words[0] == "sh" && words[1] == "-c" && words[2] == kStartScript) {
    return words[3];
  }
  return words[0];
}

std::string MimePackage() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"";
  xml += kProjectMimeType;
  xml +=
      "\">\n"
      "    <comment>Quillan Project</comment>\n"
      "    <sub-class-of type=\"text/plain\"/>\n"
      "    <icon name=\"";
  xml += kDesktopName;
  xml +=
      "\"/>\n"
      "    <glob pattern=\"*.qlp\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  return xml;
}

bool WriteIfChanged(const fs::path& path, std::string_view content, std::error_code& error) {
  error.clear();
  std::string existing;
  if (ReadWhole(path, existing) && existing == content) return false;
  fs::create_directories(path.parent_path(), error);
  if (error) return false;
  // A reader never sees a half-written file: write beside it, then rename over it.
  fs::path temporary = path;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      error = std::make_error_code(std::errc::io_error);
      return false;
    }
  }
  fs::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

RegistrationReport RegisterFileType(const RegistrationRequest& request) {
  RegistrationReport report;
  if (request.data_home.empty() || request.program_path.empty()) {
    report.errors.push_back("no data folder or program path to register");
    return report;
  }
  const std::string entry_name = std::string(kDesktopName) + ".desktop";
  for (const fs::path& dir : request.system_data_dirs) {
    std::string entry;
    if (!ReadWhole(dir / "applications" / entry_name, entry)) continue;
    std::error_code error;
    const std::string program = ExecProgram(entry);
    if (!program.empty() && fs::equivalent(program, request.program_path, error)) {
      report.served_by_system = true;
      return report;
    }
  }
  const fs::path mime_dir = request.data_home / "mime";
  const fs::path applications = request.data_home / "applications";

  bool mime_changed = false;
  bool entry_changed = false;
  Register(mime_dir / "packages" / (std::string(kDesktopName) + ".xml"), MimePackage(), report,
           &mime_changed);
  Register(applications / entry_name, DesktopEntry(request.program_path), report, &entry_changed);
  const fs::path hicolor = request.data_home / "icons" / "hicolor";
  bool icons_changed = false;
  for (const IconPicture& icon : request.icons) {
    const std::string size = std::to_string(icon.size);
    bool changed = false;
    Register(hicolor / (size + "x" + size) / "apps" / (std::string(kDesktopName) + ".png"),
             icon.png, report, &changed);
    icons_changed = icons_changed || changed;
  }

  // Refresh a database when our file changed, or when an earlier refresh never happened
  // (the tool was missing then): its cache does not know the type yet.
  std::error_code ignored;
  const fs::path compiled_type = mime_dir / (std::string(kProjectMimeType) + ".xml");
  if (mime_changed || !fs::exists(compiled_type, ignored)) {
    report.refresh.push_back({"update-mime-database", {mime_dir.string()}});
  }
  if (entry_changed || !FileMentions(applications / "mimeinfo.cache", entry_name)) {
    report.refresh.push_back({"update-desktop-database", {applications.string()}});
  }
  // Without a current icon cache, every program that looks up a themed icon tries each size
  // folder of the theme in turn, for each name: a thousand file checks an icon.
  if (!request.icons.empty() && (icons_changed || IconCacheStale(hicolor, request.icons))) {
    report.refresh.push_back({"gtk-update-icon-cache",
                              {"--force", "--ignore-theme-index", "--quiet", hicolor.string()}});
  }
  return report;
}

}  // namespace quillan::platform
