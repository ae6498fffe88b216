// Windows module entry points. The loader calls DllMain on process attach,
// which records the module handle; the host then calls InitDll once before
// GetPluginFactory, which makes the handle the one resources are loaded
// from, and ExitDll before unloading.
#include "ModuleEntry.h"

#include "pluginterfaces/base/fplatform.h"

#include <windows.h>

#include <atomic>

namespace toneloom {

namespace {

std::atomic<void*> attachedModule{nullptr}; // recorded at process attach
std::atomic<void*> resourceModule{nullptr}; // what the editor loads pictures from

} // namespace

void* ModuleHandle()
{
    void* handle = resourceModule.load();
    return handle != nullptr ? handle : attachedModule.load();
}

} // namespace toneloom

extern "C" {

// [loader lock] Records the module handle; true for every reason.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        toneloom::attachedModule.store(instance);
    }
    return TRUE;
}

// [main thread] Makes the recorded handle the resource handle. Always true.
SMTG_EXPORT_SYMBOL bool InitDll()
{
    toneloom::resourceModule.store(toneloom::attachedModule.load());
    return true;
}

// [main thread] Nothing to undo. Always true.
SMTG_EXPORT_SYMBOL bool ExitDll()
{
    return true;
}

} // extern "C"
