// The few operating-system services toneloom-render uses, for Linux and
// Windows alike.
#pragma once

#include <string>

namespace toneloom {

// This process's id, to tell its temporary files from another run's.
int ProcessId();

// True when standard error goes to a terminal (or console).
bool StderrIsTerminal();

// The full path of the running program, or "" when it cannot be found.
std::string ExecutablePath();

// Where a path's last folder separator is ('/' anywhere, '\\' on Windows
// too), or npos.
size_t LastSeparator(const std::string& path);

// True when something (a file or a folder) is at `path`.
bool PathExists(const std::string& path);

// The user's home folder: $HOME, else the password database's entry; "" when
// neither gives one. Linux only ("" on Windows).
std::string HomeFolder();

// The 64-bit "Common Files" folder (C:\Program Files\Common Files) from the
// shell's known folders, else from the CommonProgramW6432 or
// CommonProgramFiles environment variables; "" when none gives one. Windows
// only ("" elsewhere).
std::string CommonFilesFolder();

enum class FolderState
{
    kMade,
    kExisted,
    kNotAFolder,
    kCannotMake
};
// Makes the folder `path` unless it exists.
FolderState EnsureFolder(const std::string& path);

// Ctrl-C and requests to end. After InstallInterruptHandlers, SIGINT and
// SIGTERM (on Windows the console's Ctrl-C, Ctrl-Break, close, log-off and
// shut-down events) no longer end the process at once: they raise a flag the
// render polls, so it can remove its partial file and end cleanly. A second
// request ends the process the ordinary way.
void InstallInterruptHandlers();
// 0 until an interrupt arrives; then the exit code to end with, as a shell
// reports a process ended by that signal: 130 for an interrupt (Ctrl-C or
// Ctrl-Break), 143 for a request to terminate.
int InterruptExitCode();

// Puts `from` in the place of `to`, replacing a file already there. False
// when it could not.
bool MoveOver(const std::string& from, const std::string& to);

} // namespace toneloom
