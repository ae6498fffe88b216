#include "SystemCalls.h"

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
#else
#include <unistd.h>
#endif

namespace toneloom {

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
