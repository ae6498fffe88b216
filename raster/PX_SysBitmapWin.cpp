// Windows: the system bitmap is a top-down 32-bit DIB section selected into
// the bitmap's own memory device context.
#include "PX_SysBitmap.h"

#include <windows.h>

#include <cstdint>

namespace toneloom {

namespace {
constexpr int kSpanMultiple = 4; // pixels
} // namespace

PX_SysBitmap::PX_SysBitmap(int newWidth, int newHeight)
{
    HDC screen = GetDC(nullptr);
    context = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    SetSize(newWidth, newHeight);
}

PX_SysBitmap::~PX_SysBitmap()
{
    ReleaseSection();
    if (context != nullptr) {
        DeleteDC(static_cast<HDC>(context));
    }
}

void PX_SysBitmap::ReleaseSection()
{
    if (section != nullptr) {
        SelectObject(static_cast<HDC>(context), static_cast<HGDIOBJ>(previousObject));
        DeleteObject(static_cast<HGDIOBJ>(section));
    }
    section = nullptr;
    previousObject = nullptr;
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
    if (context == nullptr || span * newHeight > INT32_MAX / 4) {
        return false;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(span);
    info.bmiHeader.biHeight = -newHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP created =
        CreateDIBSection(static_cast<HDC>(context), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (created == nullptr || bits == nullptr) {
        if (created != nullptr) {
            DeleteObject(created);
        }
        return false;
    }
    section = created;
    previousObject = SelectObject(static_cast<HDC>(context), created);
    pixels = static_cast<PX_Pixel*>(bits);
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
