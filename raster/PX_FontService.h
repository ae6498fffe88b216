// What PX_CachedFont needs from the platform's text renderer. Internal to the
// raster layer; one implementation per platform (GDI, FreeType).
#pragma once

#include "PX_IBitmap.h"

#include <cstdint>

namespace toneloom::fontservice {

// Cell height (ascent + descent) of the font in pixels; 0 when unusable.
int LineHeight(PX_NativeFont font);

// Pen advance of a UTF-16 text in pixels.
int TextWidth(PX_NativeFont font, const uint16_t* text, int count);

// Draws UTF-16 text in the colour's red, green and blue into the bitmap, laid
// out in the box by the DrawText flags of PX_IFont.h (clipped to the box
// unless kPxTextNoClip). With kPxTextMeasure nothing is drawn and the box's
// right and bottom become the extent. Returns the text height in pixels, or
// -1 when the bitmap cannot be drawn on this way (no device context).
int DrawNative(PX_IBitmap* bitmap, PX_NativeFont font, const uint16_t* text, int count,
               PX_Rect* box, int flags, PX_Pixel colour);

// True when the process runs under Wine (decided once); always false where
// the platform renderer is not GDI.
bool RunningUnderWine();

} // namespace toneloom::fontservice
