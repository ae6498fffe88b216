// Small helpers shared by the raster tests.
#pragma once

#include "PX_IBitmap.h"

#include <algorithm>

namespace toneloom::test {

inline void Fill(PX_IBitmap& bitmap, PX_Pixel pixel)
{
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::fill(bitmap.Row(y), bitmap.Row(y) + bitmap.Width(), pixel);
    }
}

inline PX_Pixel At(const PX_IBitmap& bitmap, int x, int y)
{
    return bitmap.Row(y)[x];
}

// Bounds of the pixels that differ from `background` (right and bottom
// exclusive); empty (left >= right) when none differ.
struct Ink
{
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
    int count = 0;
    bool Empty() const { return count == 0; }
};

// Bounds of the pixels of the rectangle (left, top, right, bottom) for which
// `inked(pixel)` holds.
template <typename Inked>
Ink InkWhere(const PX_IBitmap& bitmap, int left, int top, int right, int bottom, Inked inked)
{
    Ink ink;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (inked(At(bitmap, x, y))) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
                ++ink.count;
            }
        }
    }
    return ink;
}

inline Ink InkOf(const PX_IBitmap& bitmap, PX_Pixel background, PX_Pixel mask = 0xFFFFFFFFu)
{
    return InkWhere(bitmap, 0, 0, bitmap.Width(), bitmap.Height(),
                    [=](PX_Pixel p) { return ((p ^ background) & mask) != 0; });
}

} // namespace toneloom::test
