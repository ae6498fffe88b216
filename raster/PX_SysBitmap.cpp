// The system bitmap's size rules, shared by the Windows section and the plain
// memory of Linux and headless; each platform file allocates and releases.
#include "PX_SysBitmap.h"

#include <cstdint>

namespace toneloom {

namespace {
constexpr int kSpanMultiple = 4; // pixels
} // namespace

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
    if (span * newHeight > INT32_MAX / 4 || !AllocateSection(static_cast<int>(span), newHeight)) {
        return false;
    }
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
