// PNG pictures, decoded with libpng to 8-bit ARGB pixels (straight alpha).
#pragma once

#include "PX_IBitmap.h"

#include <cstddef>

namespace toneloom {

// Decodes a PNG held in memory. With a target, the target is resized to the
// picture and filled, and the target is returned; without one a new
// PX_MemBitmap (row alignment 4) is returned, owned by the caller. Returns
// null for fewer than 8 bytes, a wrong signature, a truncated or corrupt
// stream, or a target that cannot take the size; then nothing is allocated
// and a given target keeps its size and pixels.
PX_IBitmap* DecodePng(const void* bytes, size_t length, PX_IBitmap* target);

// Decodes the picture stored under the numeric id (id & 0xFFFF): on Windows
// the module's resource of type "PNG"; on Linux and headless the table of
// the same pictures embedded in the program at build time (module ignored).
// Null for a missing id, 7 bytes or fewer, or anything DecodePng refuses.
PX_IBitmap* LoadPngResource(PX_Module module, int resourceId, PX_IBitmap* target);

} // namespace toneloom
