#include "PX_Draw.h"

namespace toneloom {

void FillArea(PX_IBitmap*, int, int, int, int, PX_Pixel, float, int) {}
void DrawLineInt(PX_IBitmap*, int, int, int, int, PX_Pixel, float, int, bool) {}
void DrawLineFloat(PX_IBitmap*, float, float, float, float, PX_Pixel, float, int, bool) {}
void DrawArc(PX_IBitmap*, float, float, float, float, float, PX_Pixel, float, int, bool) {}
void FillSector(PX_IBitmap*, float, float, float, float, float, PX_Pixel, float, int, bool) {}

} // namespace toneloom
