// Copies pixels of a raster bitmap to an X11 drawable.
#pragma once

#include "IGraphicsTypes.h"

struct _XDisplay;
struct _XGC;

namespace toneloom {

class PX_IBitmap;

// Copies `area` of `bitmap` (clipped to it) to the same place of `drawable`,
// which has `visual` (a Visual*) and `depth`. 24- and 32-bit TrueColor
// visuals with the usual masks take the pixels as they are; any other visual
// gets them converted pixel by pixel. False when nothing could be sent.
bool X11PutBitmap(_XDisplay* display, unsigned long drawable, _XGC* gc, void* visual, int depth,
                  const PX_IBitmap& bitmap, const IBox& area);

} // namespace toneloom
