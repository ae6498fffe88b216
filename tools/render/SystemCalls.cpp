#include "SystemCalls.h"

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#include <process.h>
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h:
#include <knownfolders.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>
#endif

namespace toneloom {

namespace {

constexpr int kExitInterrupted = 130; // 128 + SIGINT
constexpr int kExitTerminated = 143;  // 128 + SIGTERM

// Written by the signal handler (or the console's control thread), read by
// the render loop.
volatile std::sig_atomic_t interruptCode = 0;

#if defined(_WIN32)
BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (interruptCode != 0) {
        return FALSE; // asked twice: let Windows end the process
    }
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    interruptCode = interrupt ? kExitInterrupted : kExitTerminated;
    if (!interrupt) {
        // Windows ends the process once this returns from a close, log-off or
        // shut-down event: give the render time to clean up and exit first.
        Sleep(5000);
    }
    return TRUE;
}
#else
void OnSignal(int signal)
{
    if (interruptCode != 0) {
        std::signal(signal, SIG_DFL); // asked twice: end the ordinary way
        std::raise(signal);
        return;
    }
    interruptCode = signal == SIGINT ? kExitInterrupted : kExitTerminated;
}
#endif

} // namespace

void InstallInterruptHandlers()
{
#if defined(_WIN32)
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action
    {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a write the signal lands in goes on
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

int InterruptExitCode()
{
    return interruptCode;
}

int ProcessId()
{
#if defined(_WIN32)
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

bool StderrIsTerminal()
{
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

std::string ExecutablePath()
{
    char self[4096];
#if defined(_WIN32)
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) {
        return "";
    }
    return std::string(self, length);
#else
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return "";
    }
    return std::string(self, static_cast<size_t>(length));
#endif
}

size_t LastSeparator(const std::string& path)
{
#if defined(_WIN32)
    return path.find_last_of("/\\");
#else
    return path.find_last_of('/');
#endif
}

bool PathExists(const std::string& path)
{
    struct stat info
    {
    };
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

std::string HomeFolder()
{
#if defined(_WIN32)
    return "";
#else
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    // No HOME (a service, a cleared environment): the account's entry.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry
    {
    };
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return "";
    }
    return found->pw_dir;
#endif
}

std::string CommonFilesFolder()
{
#if defined(_WIN32)
    // Paths go to the ANSI functions (LoadLibraryA) like the rest of the
    // program's: a folder name the code page cannot hold is no use.
    PWSTR wide = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramFilesCommon, 0, nullptr, &wide))) {
        char narrow[MAX_PATH * 2];
        BOOL lossy = FALSE;
        const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, narrow,
                                               sizeof narrow, nullptr, &lossy);
        if (length > 1 && !lossy) {
            folder = narrow;
        }
    }
    CoTaskMemFree(wide);
    if (!folder.empty()) {
        return folder;
    }
    // A 32-bit process sees the 32-bit folder in CommonProgramFiles; the
    // 64-bit one is CommonProgramW6432.
    for (const char* name : {"CommonProgramW6432", "CommonProgramFiles"}) {
        char value[MAX_PATH * 2];
        const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
        if (length > 0 && length < sizeof value) {
            return std::string(value, length);
        }
    }
    return "";
#else
    return "";
#endif
}

FolderState EnsureFolder(const std::string& path)
{
    struct stat info
    {
    };
    if (stat(path.c_str(), &info) == 0) {
        return (info.st_mode & S_IFMT) == S_IFDIR ? FolderState::kExisted
                                                  : FolderState::kNotAFolder;
    }
#if defined(_WIN32)
    const int made = _mkdir(path.c_str());
#else
    const int made = mkdir(path.c_str(), 0777);
#endif
    return made == 0 ? FolderState::kMade : FolderState::kCannotMake;
}

bool MoveOver(const std::string& from, const std::string& to)
{
#if defined(_WIN32)
    // rename() on Windows refuses to overwrite.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace toneloom
