#include "UserConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace toneloom {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool HasValue(const char* value)
{
    return value != nullptr && value[0] != '\0';
}

// Makes `path` (one level) unless it is there already.
bool MakeFolder(const std::string& path)
{
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0 || errno == EEXIST;
#else
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
#endif
}

int ProcessId()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to)
{
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

std::string UserConfig::Folder()
{
#ifdef _WIN32
    const char* appData = std::getenv("APPDATA");
    if (!HasValue(appData)) {
        return "";
    }
    return std::string(appData) + "\\Toneloom\\";
#else
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative path here.
    if (HasValue(configHome) && configHome[0] == '/') {
        return std::string(configHome) + "/toneloom/";
    }
    const char* home = std::getenv("HOME");
    if (!HasValue(home)) {
        return "";
    }
    return std::string(home) + "/.config/toneloom/";
#endif
}

bool UserConfig::Read(const char* name, std::string* text, size_t maxBytes)
{
    const std::string folder = Folder();
    if (folder.empty() || name == nullptr || text == nullptr) {
        return false;
    }
    std::FILE* file = std::fopen((folder + name).c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::string contents;
    char chunk[512];
    bool fits = true;
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        contents.append(chunk, got);
        if (contents.size() > maxBytes) {
            fits = false;
            break;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (!fits || failed) {
        return false;
    }
    *text = std::move(contents);
    return true;
}

bool UserConfig::Write(const char* name, const std::string& text)
{
    const std::string folder = Folder();
    if (folder.empty() || name == nullptr) {
        return false;
    }
    // The parent (~/.config, %APPDATA%) may be missing too on a fresh account.
    const std::string withoutSeparator = folder.substr(0, folder.size() - 1);
    const size_t parentEnd = withoutSeparator.find_last_of(kSeparator);
    if (parentEnd != std::string::npos && parentEnd > 0) {
        MakeFolder(withoutSeparator.substr(0, parentEnd));
    }
    if (!MakeFolder(withoutSeparator)) {
        return false;
    }
    const std::string target = folder + name;
    const std::string temporary = target + ".tmp" + std::to_string(ProcessId());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || !ReplaceFile(temporary, target)) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace toneloom
