#include "HostModule.h"

#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace toneloom::host {

namespace {

constexpr const char* kBundleExtension = ".vst3";
#ifdef _WIN32
// Windows modules are entered through InitDll and left through ExitDll.
constexpr const char* kArchitectureFolder = "Contents/x86_64-win/";
constexpr const char* kLibraryExtension = ".vst3";
constexpr const char* kEntryName = "InitDll";
constexpr const char* kExitName = "ExitDll";
using ModuleEntryFunction = bool (*)();
#else
constexpr const char* kArchitectureFolder = "Contents/x86_64-linux/";
constexpr const char* kLibraryExtension = ".so";
constexpr const char* kEntryName = "ModuleEntry";
constexpr const char* kExitName = "ModuleExit";
using ModuleEntryFunction = bool (*)(void*);
#endif
using ModuleExitFunction = bool (*)();

bool IsDirectory(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

void* OpenLibrary(const std::string& path, std::string* error)
{
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    }
    return reinterpret_cast<void*>(module);
#else
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : "dlopen failed";
    }
    return library;
#endif
}

void CloseLibrary(void* library)
{
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(library));
#else
    dlclose(library);
#endif
}

void* FindSymbol(void* library, const char* name)
{
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
#else
    return dlsym(library, name);
#endif
}

} // namespace

HostModule::~HostModule()
{
    Unload();
}

std::string HostModule::LibraryInBundle(const std::string& path)
{
    if (!IsDirectory(path)) {
        return path;
    }
    std::string bundle = path;
#ifdef _WIN32
    const char* separators = "/\\";
#else
    const char* separators = "/";
#endif
    while (bundle.size() > 1 && std::strchr(separators, bundle.back()) != nullptr) {
        bundle.pop_back();
    }
    const size_t slash = bundle.find_last_of(separators);
    std::string stem = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
    const size_t extension = stem.rfind(kBundleExtension);
    if (extension != std::string::npos &&
        extension + std::strlen(kBundleExtension) == stem.size()) {
        stem.erase(extension);
    }
    return bundle + "/" + kArchitectureFolder + stem + kLibraryExtension;
}

bool HostModule::Load(const std::string& path)
{
    Unload();
    libraryPath = LibraryInBundle(path);
    library = OpenLibrary(libraryPath, &error);
    if (library == nullptr) {
        return false;
    }
    if (auto entry = reinterpret_cast<ModuleEntryFunction>(Symbol(kEntryName))) {
#ifdef _WIN32
        const bool accepted = entry();
#else
        const bool accepted = entry(library);
#endif
        if (!accepted) {
            error = std::string(kEntryName) + " refused";
            Unload();
            return false;
        }
        entered = true;
    }
    auto getFactory = reinterpret_cast<GetFactoryProc>(Symbol("GetPluginFactory"));
    if (getFactory == nullptr) {
        error = "no GetPluginFactory";
        Unload();
        return false;
    }
    factory = getFactory();
    if (factory == nullptr) {
        error = "GetPluginFactory returned null";
        Unload();
        return false;
    }
    error.clear();
    return true;
}

void HostModule::Unload()
{
    if (factory != nullptr) {
        factory->release();
        factory = nullptr;
    }
    if (library != nullptr) {
        if (entered) {
            if (auto exitModule = reinterpret_cast<ModuleExitFunction>(Symbol(kExitName))) {
                exitModule();
            }
            entered = false;
        }
        CloseLibrary(library);
        library = nullptr;
    }
}

bool HostModule::FindClass(const char* category, Steinberg::TUID classId) const
{
    if (factory == nullptr || category == nullptr) {
        return false;
    }
    const Steinberg::int32 count = factory->countClasses();
    for (Steinberg::int32 i = 0; i < count; ++i) {
        Steinberg::PClassInfo info;
        if (factory->getClassInfo(i, &info) == Steinberg::kResultOk &&
            std::strncmp(info.category, category, sizeof info.category) == 0) {
            std::memcpy(classId, info.cid, sizeof(Steinberg::TUID));
            return true;
        }
    }
    return false;
}

void* HostModule::Symbol(const char* name) const
{
    return library != nullptr ? FindSymbol(library, name) : nullptr;
}

} // namespace toneloom::host
