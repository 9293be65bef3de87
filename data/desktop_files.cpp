// Writes the system-wide desktop entry and MIME package of an installed Quillan, from the same
// code that writes the per-user ones: desktop_files ENTRY_FILE MIME_FILE PROGRAM_PATH
#include <cstdio>
#include <fstream>

#include "platform/file_type_registration.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s ENTRY_FILE MIME_FILE PROGRAM_PATH\n", argv[0]);
    return 2;
  }
  std::ofstream entry(argv[1], std::ios::binary);
  // Keywords help the desktop's search find the program by what it does.
  entry << quillan::platform::DesktopEntry(argv[3])
        << "Keywords=Visual Basic;VB;code;window;automation;spy;\n";
  std::ofstream mime(argv[2], std::ios::binary);
  mime << quillan::platform::MimePackage();
  entry.close();
  mime.close();
  return entry && mime ? 0 : 1;
}
