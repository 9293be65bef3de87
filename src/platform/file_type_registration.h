#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quillan::platform {

/// The MIME type of project files, and the name the desktop entry and icon files go by.
inline constexpr std::string_view kProjectMimeType = "application/x-quillan-project";
inline constexpr std::string_view kDesktopName = "quillan";

/// One picture of the program's icon: PNG bytes, `size` pixels square.
struct IconPicture {
  int size = 0;
  std::string png;
};

/// What the per-user registration of the project file type writes, and where.
struct RegistrationRequest {
  std::filesystem::path data_home;  ///< the user's data folder, $XDG_DATA_HOME
  std::string program_path;         ///< the program's absolute path, for the Exec line
  std::vector<IconPicture> icons;
  /// The system's data folders ($XDG_DATA_DIRS). When a desktop entry of ours in one of them
  /// starts this very program, as an installed package's does, nothing is written per user.
  std::vector<std::filesystem::path> system_data_dirs;
};

/// A database tool to run after the registration, without waiting for it.
struct RefreshCommand {
  std::string program;
  std::vector<std::string> arguments;
};

/// What a registration did: the files it wrote, the refreshes it asks for, what failed.
struct RegistrationReport {
  std::vector<std::filesystem::path> written;  ///< files whose content was (re)written
  std::vector<RefreshCommand> refresh;         ///< tools that should update their caches
  std::vector<std::string> errors;             ///< what could not be done
  bool served_by_system = false;  ///< a system-wide entry already opens projects with us
};

/// One argument of a desktop entry's Exec key, quoted and escaped so that the launcher passes
/// it back unchanged (spaces, quotes, backslashes, dollar signs and percent signs included).
std::string QuoteExecArgument(std::string_view argument);

/// The desktop entry that opens project files with the program.
std::string DesktopEntry(std::string_view program_path);

/// The program a desktop entry's Exec key starts, as written (quotes and escapes removed);
/// "" when the entry has no Exec key in its [Desktop Entry] group.
std::string ExecProgram(std::string_view desktop_entry);

/// The shared-mime-info package declaring the project file type.
std::string MimePackage();

/// Writes content to path, creating its folders, unless the file already holds exactly that
/// content. The file is replaced by renaming a completed temporary file. Returns true when it
/// wrote; on failure returns false and sets `error`.
bool WriteIfChanged(const std::filesystem::path& path, std::string_view content,
                    std::error_code& error);

/// Writes the MIME package, the desktop entry and the icons under request.data_home, each
/// only when its content changed, and says which desktop databases need refreshing. Never
/// throws: failures are listed in the report.
RegistrationReport RegisterFileType(const RegistrationRequest& request);

}  // namespace quillan::platform
