#include "PX_Draw.h"

namespace toneloom {

void BlitRect(PX_IBitmap*, const PX_IBitmap*, int, int, int, int, int, int, float, int) {}

void BlitRotated(PX_IBitmap*, const PX_IBitmap*, int, int, int, int, float, float, float, float,
                 float, bool, float, int, float, float)
{
}

} // namespace toneloom
