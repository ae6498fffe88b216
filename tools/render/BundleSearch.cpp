#include "BundleSearch.h"

#include "SystemCalls.h"

#include <algorithm>

namespace toneloom {

namespace {

constexpr char kBundleName[] = "Toneloom.vst3";

#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// `folder` and `name` with one separator between them.
std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || LastSeparator(folder) == folder.size() - 1) {
        return folder + name;
    }
    return folder + kSeparator + name;
}

#if !defined(_WIN32)
// The folder that holds `folder`, by its name alone ("/usr/bin" gives "/usr",
// "/opt" gives "/"); "" for a relative name without a parent. The program's
// own path has its links resolved already, so ".." means the same.
std::string ParentFolder(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder == "/") {
        return folder;
    }
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos) {
        return "";
    }
    return slash == 0 ? "/" : folder.substr(0, slash);
}
#endif

} // namespace

BundlePlaces ThisSystemsBundlePlaces()
{
    BundlePlaces places;
    const std::string self = ExecutablePath();
    const size_t slash = LastSeparator(self);
    if (slash != std::string::npos) {
        places.programFolder = slash == 0 ? self.substr(0, 1) : self.substr(0, slash);
    }
    places.homeFolder = HomeFolder();
    places.commonFilesFolder = CommonFilesFolder();
    return places;
}

std::vector<std::string> BundleCandidates(const BundlePlaces& places)
{
    std::vector<std::string> candidates;
    const auto add = [&candidates](const std::string& folder, const std::string& rest) {
        if (folder.empty()) {
            return;
        }
        const std::string path = Join(folder, rest);
        if (std::find(candidates.begin(), candidates.end(), path) == candidates.end()) {
            candidates.push_back(path);
        }
    };
    add(places.programFolder, kBundleName);
#if defined(_WIN32)
    add(places.commonFilesFolder, std::string("VST3\\") + kBundleName);
#else
    add(ParentFolder(places.programFolder), std::string("lib/vst3/") + kBundleName);
    add(places.homeFolder, std::string(".vst3/") + kBundleName);
    add("/usr/lib/vst3", kBundleName);
    add("/usr/local/lib/vst3", kBundleName);
#endif
    return candidates;
}

std::string FindBundle(const std::vector<std::string>& candidates, std::string* error)
{
    for (const std::string& path : candidates) {
        if (PathExists(path)) {
            return path;
        }
    }
    std::string places;
    for (size_t i = 0; i < candidates.size(); ++i) {
        places += (i == 0 ? "" : i + 1 == candidates.size() ? " or " : ", ") + candidates[i];
    }
    *error = candidates.empty() ? std::string("no place to look for ") + kBundleName
                                : std::string("no ") + kBundleName + " at " + places;
    *error += ": name the bundle with --plugin PATH";
    return "";
}

} // namespace toneloom
