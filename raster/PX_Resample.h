// Filtered resizing of pictures, for drawing artwork at a screen scale it
// was not drawn for.
//
// No locks: one thread resamples into one bitmap at a time.
#pragma once

#include "PX_IBitmap.h"

namespace toneloom {

// Fills the destination rectangle (dstX, dstY, dstW, dstH) of `dest` with the
// source rectangle (srcX, srcY, srcW, srcH) of `src`, resized with a
// separable three-lobe Lanczos filter: widened by the size ratio when
// shrinking, so every source pixel counts (no nearest-neighbour aliasing),
// and at its own width when enlarging. The filter reads only inside the
// source rectangle (edge pixels repeat), so neighbouring frames of a strip
// never bleed into one another, and works on premultiplied alpha, so
// transparent pixels add no dark fringe. The result replaces the
// destination pixels. Returns false, changing nothing, when either rectangle
// is empty or does not lie wholly inside its bitmap.
bool ResampleRect(PX_IBitmap* dest, int dstX, int dstY, int dstW, int dstH, const PX_IBitmap* src,
                  int srcX, int srcY, int srcW, int srcH);

} // namespace toneloom
