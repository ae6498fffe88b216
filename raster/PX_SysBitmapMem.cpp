// Linux and headless: the system bitmap keeps its pixels in plain memory, with
// the same size rules as the Windows section and no device context.
#include "PX_SysBitmap.h"

#include <cstdint>
#include <cstdlib>

namespace toneloom {

namespace {
constexpr size_t kPixelAlignment = 64; // bytes
constexpr int kSpanMultiple = 4;       // pixels
} // namespace

PX_SysBitmap::PX_SysBitmap(int newWidth, int newHeight)
{
    SetSize(newWidth, newHeight);
}

PX_SysBitmap::~PX_SysBitmap()
{
    ReleaseSection();
}

void PX_SysBitmap::ReleaseSection()
{
    std::free(section);
    section = nullptr;
    pixels = nullptr;
    allocatedSpan = 0;
    allocatedHeight = 0;
}

bool PX_SysBitmap::SetSize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height) {
        return false;
    }
    if (newWidth < 1 || newHeight < 1) {
        ReleaseSection();
        width = 0;
        height = 0;
        return false;
    }
    if (pixels != nullptr && newWidth <= allocatedSpan && newHeight <= allocatedHeight) {
        width = newWidth;
        height = newHeight;
        return true;
    }
    ReleaseSection();
    width = 0;
    height = 0;
    const int64_t span =
        (static_cast<int64_t>(newWidth) + kSpanMultiple - 1) / kSpanMultiple * kSpanMultiple;
    if (span * newHeight > INT32_MAX / 4) {
        return false;
    }
    const size_t bytes = static_cast<size_t>(span * newHeight) * sizeof(PX_Pixel);
    section = std::aligned_alloc(kPixelAlignment,
                                 (bytes + kPixelAlignment - 1) / kPixelAlignment * kPixelAlignment);
    if (section == nullptr) {
        return false;
    }
    pixels = static_cast<PX_Pixel*>(section);
    allocatedSpan = static_cast<int>(span);
    allocatedHeight = newHeight;
    width = newWidth;
    height = newHeight;
    return true;
}

int PX_SysBitmap::Query(int, ...)
{
    return 0;
}

} // namespace toneloom
