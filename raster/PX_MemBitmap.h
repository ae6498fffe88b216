// A bitmap in plain heap memory.
#pragma once

#include "PX_IBitmap.h"

#include <cstddef>

namespace toneloom {

class PX_MemBitmap : public PX_IBitmap
{
public:
    // rowAlignment below 2 packs rows (span = width); otherwise the span is a
    // multiple of the lowest set bit of rowAlignment, at most 16 pixels. The
    // pixel pointer is 64-byte aligned. A 0 x 0 bitmap allocates nothing; when
    // the allocation fails the bitmap is 0 x 0.
    PX_MemBitmap(int width = 0, int height = 0, int rowAlignment = 0);
    ~PX_MemBitmap() override;
    PX_MemBitmap(const PX_MemBitmap&) = delete;
    PX_MemBitmap& operator=(const PX_MemBitmap&) = delete;

    PX_Pixel* Pixels() const override { return pixels; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowSpan() const override;
    bool BottomUp() const override { return false; }
    // Keeps the allocation when the new size fits it. A size below 1 in
    // either direction (or a failed allocation) leaves a 0 x 0 bitmap with no
    // pixels. Returns whether the bitmap now has the requested non-empty size.
    bool SetSize(int newWidth, int newHeight) override;
    PX_NativeContext DeviceContext() const override { return nullptr; }
    int Query(int code, ...) override;

    int RowAlignmentMask() const { return alignMask; }

private:
    void Release();

    unsigned char* storage = nullptr; // as allocated
    PX_Pixel* pixels = nullptr;       // storage rounded up to 64 bytes
    int width = 0;
    int height = 0;
    size_t allocatedBytes = 0; // usable bytes from `pixels`
    int alignMask = 0;         // row span is a multiple of alignMask + 1 pixels
};

} // namespace toneloom
