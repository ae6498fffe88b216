#include "PX_Png.h"

namespace toneloom {

PX_IBitmap* LoadPngResource(PX_Module, int, PX_IBitmap*)
{
    return nullptr;
}

} // namespace toneloom
