// Windows: fonts are GDI fonts and text is drawn by DrawText into the
// bitmap's device context.
#include "PX_FontService.h"
#include "PX_IFont.h"
#include "PX_NativeFont.h"

#include <windows.h>

#include <cstring>

namespace toneloom {

namespace {

// DrawText flags passed through to GDI (they have GDI's values); DT_NOPREFIX
// keeps '&' a character rather than a mnemonic marker.
constexpr UINT kPassedFlags = kPxTextCenter | kPxTextRight | kPxTextVCenter | kPxTextBottom |
                              kPxTextSingleLine | kPxTextNoClip | kPxTextMeasure;

BYTE GdiQuality(int quality)
{
    switch (quality) {
    case kPxQualityNonAntiAliased:
        return NONANTIALIASED_QUALITY;
    case kPxQualityAntiAliased:
        return ANTIALIASED_QUALITY;
    case kPxQualityClearType:
        return CLEARTYPE_QUALITY;
    default:
        return DEFAULT_QUALITY;
    }
}

// A device context to measure with when no bitmap is at hand.
class ScreenContext
{
public:
    ScreenContext() : dc(CreateCompatibleDC(nullptr)) {}
    ~ScreenContext()
    {
        if (dc != nullptr) {
            DeleteDC(dc);
        }
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC dc;
};

// Selects a font into a context for the lifetime of this object.
class Selected
{
public:
    Selected(HDC context, PX_NativeFont font)
        : dc(context), previous(SelectObject(context, static_cast<HFONT>(font)))
    {
    }
    ~Selected() { SelectObject(dc, previous); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

} // namespace

PX_NativeFont PX_CreateNativeFont(const PX_FontSpec& fontSpec)
{
    char face[LF_FACESIZE] = {};
    std::strncpy(face, fontSpec.face != nullptr ? fontSpec.face : "", LF_FACESIZE - 1);
    HFONT font =
        CreateFontA(fontSpec.height, fontSpec.width, fontSpec.escapement, fontSpec.orientation,
                    fontSpec.weight, fontSpec.italic, fontSpec.underline, fontSpec.strikeOut,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    GdiQuality(fontSpec.quality), DEFAULT_PITCH | FF_DONTCARE, face);
    return font;
}

void PX_DeleteNativeFont(PX_NativeFont font)
{
    if (font != nullptr) {
        DeleteObject(static_cast<HFONT>(font));
    }
}

namespace fontservice {

int LineHeight(PX_NativeFont font)
{
    ScreenContext screen;
    if (font == nullptr || screen.dc == nullptr) {
        return 0;
    }
    Selected selected(screen.dc, font);
    TEXTMETRICA metrics = {};
    if (!GetTextMetricsA(screen.dc, &metrics)) {
        return 0;
    }
    return metrics.tmHeight;
}

int TextWidth(PX_NativeFont font, const uint16_t* text, int count)
{
    ScreenContext screen;
    if (font == nullptr || screen.dc == nullptr || count <= 0) {
        return 0;
    }
    Selected selected(screen.dc, font);
    SIZE size = {};
    if (!GetTextExtentPoint32W(screen.dc, reinterpret_cast<const wchar_t*>(text), count, &size)) {
        return 0;
    }
    return size.cx;
}

int DrawNative(PX_IBitmap* bitmap, PX_NativeFont font, const uint16_t* text, int count,
               PX_Rect* box, int flags, PX_Pixel colour)
{
    if (font == nullptr || box == nullptr) {
        return 0;
    }
    const bool measure = (flags & kPxTextMeasure) != 0;
    ScreenContext screen;
    HDC dc = bitmap != nullptr ? static_cast<HDC>(bitmap->DeviceContext()) : nullptr;
    if (dc == nullptr) {
        if (!measure) {
            return -1;
        }
        dc = screen.dc;
        if (dc == nullptr) {
            return 0;
        }
    }
    Selected selected(dc, font);
    RECT rect = {box->left, box->top, box->right, box->bottom};
    const UINT gdiFlags = (static_cast<UINT>(flags) & kPassedFlags) | DT_NOPREFIX;
    SetTextColor(dc, RGB(PX_Red(colour), PX_Green(colour), PX_Blue(colour)));
    SetBkMode(dc, TRANSPARENT);
    GdiFlush();
    const int height =
        DrawTextW(dc, reinterpret_cast<const wchar_t*>(text), count, &rect, gdiFlags);
    GdiFlush(); // the section's pixels are read directly afterwards
    if (measure) {
        box->right = rect.right;
        box->bottom = rect.bottom;
    }
    return height;
}

bool RunningUnderWine()
{
    static const bool underWine = [] {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }();
    return underWine;
}

} // namespace fontservice

} // namespace toneloom
