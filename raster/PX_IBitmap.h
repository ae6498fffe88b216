// The bitmap interface: 32-bit pixels (see PX_Types.h), rows top to bottom,
// the row span (distance between rows, in pixels) at least the width.
#pragma once

#include "PX_Types.h"

namespace toneloom {

class PX_IBitmap
{
public:
    virtual ~PX_IBitmap() = default;

    // First row, or null when the bitmap holds no pixels.
    virtual PX_Pixel* Pixels() const = 0;
    virtual int Width() const = 0;   // pixels
    virtual int Height() const = 0;  // pixels
    virtual int RowSpan() const = 0; // pixels from one row to the next
    virtual bool BottomUp() const = 0;
    // Changes the size; what is kept and what the result means is the
    // implementation's contract. Pixel contents are undefined afterwards.
    virtual bool SetSize(int width, int height) = 0;
    // Native drawing context (HDC on Windows), or null when there is none.
    virtual PX_NativeContext DeviceContext() const = 0;
    // Capability query; both bitmap kinds of this layer answer 0.
    virtual int Query(int code, ...) = 0;

    PX_Pixel* Row(int y) const { return Pixels() + static_cast<long>(y) * RowSpan(); }
};

} // namespace toneloom
