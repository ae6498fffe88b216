// Linux and headless: the pictures are embedded in the program at build time
// (resources/EmbedPng.cmake), in a table by id.
#include "PX_Png.h"

namespace toneloom {

// Defined by the generated table of the editor's pictures; null for an
// unknown id.
const unsigned char* PX_FindEmbeddedPng(int id, size_t* length);

// Defined only in a program that links its own pictures
// (toneloom_player_png_table, toneloom-play's strip); elsewhere, the plug-in
// module included, the weak reference stays null. Hidden: a module never
// looks it up in the program that loaded it.
__attribute__((weak, visibility("hidden"))) const unsigned char* PX_FindPlayerPng(int id,
                                                                                 size_t* length);

PX_IBitmap* LoadPngResource(PX_Module, int resourceId, PX_IBitmap* target)
{
    const int id = resourceId & 0xFFFF;
    size_t length = 0;
    const unsigned char* bytes = nullptr;
    // The program's own pictures first, then the editor's.
    if (PX_FindPlayerPng != nullptr) {
        bytes = PX_FindPlayerPng(id, &length);
    }
    if (bytes == nullptr) {
        bytes = PX_FindEmbeddedPng(id, &length);
    }
    if (bytes == nullptr || length < 8) {
        return nullptr;
    }
    return DecodePng(bytes, length, target);
}

} // namespace toneloom
