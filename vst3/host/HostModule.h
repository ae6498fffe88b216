// A VST 3 module loaded by a host: the shared library opened with dlopen,
// entered through ModuleEntry, and its class factory.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

#include <string>

namespace toneloom::host {

class HostModule
{
public:
    HostModule() = default;
    ~HostModule();
    HostModule(const HostModule&) = delete;
    HostModule& operator=(const HostModule&) = delete;

    // Loads `path`: a bundle directory "<name>.vst3", whose library is
    // Contents/x86_64-linux/<name>.so, or the library itself. Calls
    // ModuleEntry when the module has one and takes its factory. False, with
    // the reason in Error(), when any step fails.
    bool Load(const std::string& path);
    // Releases the factory, calls ModuleExit and closes the library.
    void Unload();

    // The module's factory (this object's reference), or null.
    Steinberg::IPluginFactory* Factory() const { return factory; }
    // The ID of the first class in `category`; false if there is none.
    bool FindClass(const char* category, Steinberg::TUID classId) const;
    // The module library's exported symbol, or null.
    void* Symbol(const char* name) const;
    const std::string& LibraryPath() const { return libraryPath; }
    const std::string& Error() const { return error; }

    // The library inside a bundle directory (or `path` itself if it is none).
    static std::string LibraryInBundle(const std::string& path);

private:
    void* library = nullptr;
    Steinberg::IPluginFactory* factory = nullptr;
    bool entered = false;
    std::string libraryPath;
    std::string error;
};

} // namespace toneloom::host
