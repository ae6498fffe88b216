// Windows: the system bitmap is a top-down 32-bit DIB section selected into
// the bitmap's own memory device context.
#include "PX_SysBitmap.h"

#include <windows.h>

namespace toneloom {

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

bool PX_SysBitmap::AllocateSection(int span, int rows)
{
    if (context == nullptr) {
        return false;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = span;
    info.bmiHeader.biHeight = -rows; // top-down
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
    return true;
}

} // namespace toneloom
