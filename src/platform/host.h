#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_ports.h"
#include "document/recovery.h"
#include "wintools/pe_icons.h"

// The services of the operating system the program runs on, as main and the Qt layer use
// them. Each system's backend folder defines them (host_posix.cpp on Linux,
// win32/host_win32.cpp on Windows), so that nothing above the platform layer calls the
// system directly.
namespace quillan::platform {

/// Readies the process and says why the program cannot show its windows in this session, in
/// words for the terminal; nullopt when it can.
std::optional<std::string> PrepareProcess();

/// The arguments after the program's own name, in the program's form of paths: every file
/// name, in any encoding the system allows, survives the trip.
std::vector<std::u16string> ProgramArguments(int argc, char** argv);

/// The current folder in the program's form of paths; "" when it cannot be read.
std::u16string CurrentFolder();

/// Whether path names a place from the root of its file system (on Windows, with its drive
/// or share), not from the current folder.
bool IsAbsolutePath(std::u16string_view path);

/// The system's file store.
std::unique_ptr<document::FileStore> MakeFileStore();

/// Where this user's recovery copies of unsaved work are kept.
std::unique_ptr<document::RecoveryStore> MakeRecoveryStore();

/// Starts turning the session's requests to end the program (SIGTERM and SIGHUP on POSIX
/// systems: a logout, a shutdown, `kill`) into bytes on a descriptor, which becomes readable
/// when one came; the program then ends in its own time instead of at once. -1 where the
/// system has no such requests (Windows asks the windows to close instead).
int WatchEndRequests();
/// The request waiting on that descriptor: the signal's number, 0 when none.
int TakeEndRequest(int descriptor);

/// Readies the keyboard input of the shown, active window with this native id, so that the
/// user's first key is not held up by work done at the first key. Nothing where there is
/// nothing to ready.
void PrimeKeyInput(std::uint64_t window_id);

/// Random-access reads of the file on disk at path; null when it cannot be opened.
std::unique_ptr<wintools::ByteSource> OpenFileBytes(std::u16string_view path);

}  // namespace quillan::platform
