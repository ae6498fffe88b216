// Windows: the pictures are the module's resources of type "PNG".
#include "PX_Png.h"

#include <windows.h>

namespace toneloom {

namespace {
constexpr DWORD kMinPngBytes = 8; // the signature alone
} // namespace

PX_IBitmap* LoadPngResource(PX_Module module, int resourceId, PX_IBitmap* target)
{
    HMODULE handle = static_cast<HMODULE>(module);
    HRSRC found = FindResourceA(handle, MAKEINTRESOURCEA(resourceId & 0xFFFF), "PNG");
    if (found == nullptr) {
        return nullptr;
    }
    const DWORD size = SizeofResource(handle, found);
    if (size < kMinPngBytes) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(handle, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return nullptr;
    }
    return DecodePng(bytes, size, target);
}

} // namespace toneloom
