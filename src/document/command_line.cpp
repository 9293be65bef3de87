#include "document/command_line.h"

namespace quillan::document {

CommandLine ParseCommandLine(const std::vector<std::u16string>& arguments) {
  CommandLine result;
  std::size_t first = 0;
  if (!arguments.empty()) {
    if (arguments[0] == u"--help") {
      result.request = CommandLine::Request::kHelp;
      return result;
    }
    if (arguments[0] == u"--version") {
      result.request = CommandLine::Request::kVersion;
      return result;
    }
    if (arguments[0] == u"--") first = 1;
  }
  if (first < arguments.size()) {
    result.project = arguments[first];
    result.ignored = static_cast<int>(arguments.size() - first - 1);
  }
  return result;
}

std::string UsageText(std::string_view program_name) {
  const std::string name(program_name);
  return "Usage: " + name + " [PROJECT]\n" + "       " + name +
         " -- PROJECT\n"
         "\n"
         "Quillan is an editor for Visual Basic source code, with tools that inspect and\n"
         "automate other programs' windows.\n"
         "\n"
         "Opens PROJECT, a .qlp project file. Without it Quillan starts with an empty\n"
         "project and makes .qlp files open with it for your user.\n"
         "\n"
         "Options (only as the first argument):\n"
         "  --help     show this help and exit\n"
         "  --version  show the version and exit\n"
         "  --         take the next argument as the project, even if it starts with '-'\n"
         "\n"
         "Only the first project named is opened.\n";
}

std::string VersionText(std::string_view version) {
  return "Quillan " + std::string(version) +
         "\n"
         "Copyright (C) 2026 The Quillan developers.\n"
         "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace quillan::document
