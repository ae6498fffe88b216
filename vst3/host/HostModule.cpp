#include "HostModule.h"

#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

namespace toneloom::host {

namespace {

constexpr const char* kBundleExtension = ".vst3";
constexpr const char* kLinuxArchitectureFolder = "Contents/x86_64-linux/";

using ModuleEntryFunction = bool (*)(void*);
using ModuleExitFunction = bool (*)();

bool IsDirectory(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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
    while (bundle.size() > 1 && bundle.back() == '/') {
        bundle.pop_back();
    }
    const size_t slash = bundle.find_last_of('/');
    std::string stem = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
    const size_t extension = stem.rfind(kBundleExtension);
    if (extension != std::string::npos &&
        extension + std::strlen(kBundleExtension) == stem.size()) {
        stem.erase(extension);
    }
    return bundle + "/" + kLinuxArchitectureFolder + stem + ".so";
}

bool HostModule::Load(const std::string& path)
{
    Unload();
    libraryPath = LibraryInBundle(path);
    library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "dlopen failed";
        return false;
    }
    if (auto entry = reinterpret_cast<ModuleEntryFunction>(Symbol("ModuleEntry"))) {
        if (!entry(library)) {
            error = "ModuleEntry refused";
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
            if (auto exitModule = reinterpret_cast<ModuleExitFunction>(Symbol("ModuleExit"))) {
                exitModule();
            }
            entered = false;
        }
        dlclose(library);
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
    return library != nullptr ? dlsym(library, name) : nullptr;
}

} // namespace toneloom::host
