// Linux and headless: the pictures are embedded in the program at build time
// (resources/EmbedPng.cmake), in a table by id.
#include "PX_Png.h"

namespace toneloom {

// Defined by the generated table; null for an unknown id.
const unsigned char* PX_FindEmbeddedPng(int id, size_t* length);

PX_IBitmap* LoadPngResource(PX_Module, int resourceId, PX_IBitmap* target)
{
    size_t length = 0;
    const unsigned char* bytes = PX_FindEmbeddedPng(resourceId & 0xFFFF, &length);
    if (bytes == nullptr || length < 8) {
        return nullptr;
    }
    return DecodePng(bytes, length, target);
}

} // namespace toneloom
