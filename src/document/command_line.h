#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::document {

/// What the program was asked to do by its command line.
struct CommandLine {
  enum class Request { kStart, kHelp, kVersion };
  Request request = Request::kStart;
  /// The project to open; nullopt to start with an empty one (and register the file type).
  std::optional<std::u16string> project;
  /// Further names, which are not opened.
  int ignored = 0;
};

/// Reads the arguments after the program's name. "--help" and "--version" count only as the
/// whole first argument; "--" first makes the next argument the project whatever it looks
/// like; anything else first is the project's path, so a file named "-x" opens as it is.
CommandLine ParseCommandLine(const std::vector<std::u16string>& arguments);

/// What --help prints, for the program named program_name.
std::string UsageText(std::string_view program_name);

/// What --version prints: the version, then the copyright and the licence the way GNU
/// programs state them.
std::string VersionText(std::string_view version);

}  // namespace quillan::document
