// Linux module entry points. The host calls ModuleEntry once after loading
// the shared library and before GetPluginFactory, and ModuleExit before
// unloading it. They take the roles of InitDll and ExitDll on Windows.
#include "ModuleEntry.h"

#include "pluginterfaces/base/fplatform.h"

#include <atomic>

namespace toneloom {

namespace {

std::atomic<void*> moduleHandle{nullptr};

} // namespace

void* ModuleHandle()
{
    return moduleHandle.load();
}

} // namespace toneloom

extern "C" {

// [main thread] Records the module handle for resource loading. Always true.
SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle)
{
    toneloom::moduleHandle.store(sharedLibraryHandle);
    return true;
}

// [main thread] Nothing to undo. Always true.
SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    return true;
}

} // extern "C"
