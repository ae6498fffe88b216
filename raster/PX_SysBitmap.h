// The drawing surface bitmap. On Windows its pixels live in a top-down 32-bit
// device-independent section selected into the bitmap's own memory device
// context; on Linux and headless in plain memory with the same contract and
// no device context.
#pragma once

#include "PX_IBitmap.h"

namespace toneloom {

class PX_SysBitmap : public PX_IBitmap
{
public:
    PX_SysBitmap(int width = 0, int height = 0);
    ~PX_SysBitmap() override;
    PX_SysBitmap(const PX_SysBitmap&) = delete;
    PX_SysBitmap& operator=(const PX_SysBitmap&) = delete;

    PX_Pixel* Pixels() const override { return pixels; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowSpan() const override { return allocatedSpan; }
    bool BottomUp() const override { return false; }
    // Returns false when the size did not change or either side is below 1
    // (the latter leaves the bitmap without pixels). When the new size fits
    // the allocated span and height only width and height change; otherwise a
    // new section (span = width rounded up to a multiple of 4) replaces the
    // old one. When that fails the bitmap has no pixels until the next
    // successful SetSize.
    bool SetSize(int newWidth, int newHeight) override;
    PX_NativeContext DeviceContext() const override { return context; }
    int Query(int code, ...) override;

private:
    void ReleaseSection();
    // Makes a section of `span` x `rows` pixels and points `pixels` at it;
    // false, with nothing held, when it cannot be had.
    bool AllocateSection(int span, int rows);

    int width = 0;
    int height = 0;
    PX_Pixel* pixels = nullptr;
    PX_NativeContext context = nullptr; // own memory DC (Windows only)
    void* section = nullptr;            // HBITMAP on Windows, the memory block elsewhere
    void* previousObject = nullptr;     // what the context held before the section
    int allocatedSpan = 0;              // pixels
    int allocatedHeight = 0;            // pixels
};

} // namespace toneloom
