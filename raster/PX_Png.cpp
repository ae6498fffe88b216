#include "PX_Png.h"

namespace toneloom {

PX_IBitmap* DecodePng(const void*, size_t, PX_IBitmap*)
{
    return nullptr;
}

} // namespace toneloom
