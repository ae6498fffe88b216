// Free drawing operations on bitmaps. Each returns quietly when the
// destination is null or has no pixels, when the clipped area is empty and
// when the opacity is 0 or less. Opacity is 0..1 (values above 1 count as 1);
// k = trunc(opacity x 256) is the integer weight of the combine rules. The
// mode is one of the codes in PX_Types.h.
//
// No locks: one thread draws into one bitmap at a time.
#pragma once

#include "PX_IBitmap.h"

namespace toneloom {

// Copies width x height pixels from (srcX, srcY) of src to (dstX, dstY) of
// dest, clipped to both bitmaps (a negative origin on either side moves the
// other by the same amount). Modes: kPxCopy, kPxSourceAlpha,
// kPxSourceAlpha | kPxAdd, kPxSourceAlpha | kPxDodge.
void BlitRect(PX_IBitmap* dest, const PX_IBitmap* src, int dstX, int dstY, int srcX, int srcY,
              int width, int height, float opacity, int mode);

// Scaled and rotated copy of the source rectangle (srcX, srcY, srcW, srcH)
// into the destination rectangle (dstX, dstY, dstW, dstH); a negative dstW or
// dstH mirrors the source. A positive angle turns the picture clockwise on
// screen about the destination centre, which maps to the source centre plus
// (centreOffsetX, centreOffsetY). kPxBilinear in mode interpolates; the other
// mode bits combine as for BlitRect. With clipToSource false source positions
// are limited only to the source bitmap.
void BlitRotated(PX_IBitmap* dest, const PX_IBitmap* src, int dstX, int dstY, int dstW, int dstH,
                 float srcX, float srcY, float srcW, float srcH, float angle, bool clipToSource,
                 float opacity, int mode, float centreOffsetX, float centreOffsetY);

// Fills a rectangle with one colour. Modes: kPxCopy, kPxAdd, and
// kPxSourceAlpha (the opacity is first multiplied by the colour's alpha/255).
void FillArea(PX_IBitmap* dest, int x, int y, int width, int height, PX_Pixel pixel, float opacity,
              int mode);

// One-pixel lines between the end points, both included.
void DrawLineInt(PX_IBitmap* dest, int x1, int y1, int x2, int y2, PX_Pixel pixel, float opacity,
                 int mode, bool antiAlias);
void DrawLineFloat(PX_IBitmap* dest, float x1, float y1, float x2, float y2, PX_Pixel pixel,
                   float opacity, int mode, bool antiAlias);

// Circle arc of one pixel width and filled pie slice around (cx, cy) between
// angle1 and angle2 (radians, clockwise from twelve o'clock; a point at angle
// t lies at cx + r sin t, cy - r cos t). A span of 2 pi or more is the full
// circle or disc.
void DrawArc(PX_IBitmap* dest, float cx, float cy, float radius, float angle1, float angle2,
             PX_Pixel pixel, float opacity, int mode, bool antiAlias);
void FillSector(PX_IBitmap* dest, float cx, float cy, float radius, float angle1, float angle2,
                PX_Pixel pixel, float opacity, int mode, bool antiAlias);

} // namespace toneloom
