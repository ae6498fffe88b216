// The editor's value types: geometry, colour, text style, image, blending and
// the mouse and key state of one event. Plain values, copied freely.
#pragma once

#include <cstdint>

namespace toneloom {

class PX_IBitmap;
class PX_IFont;

// An integer rectangle in layout pixels (surface pixels at scale 1; see
// IGraphics::SetScale); right and bottom are exclusive.
// A box whose four values are all 0 is empty; no other box is empty, whatever
// its width or height (a zero-width box at (5, 5) still takes part in tests).
struct IBox
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    // Strict overlap of two non-empty boxes.
    bool Overlaps(const IBox& other) const
    {
        return !IsEmpty() && !other.IsEmpty() && right > other.left && left < other.right &&
               bottom > other.top && top < other.bottom;
    }
    // The smallest box holding both; an empty box adds nothing.
    IBox Union(const IBox& other) const;
    // The common part; empty when either is empty or they do not overlap.
    IBox Intersect(const IBox& other) const;
    bool operator==(const IBox& other) const
    {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const IBox& other) const { return !(*this == other); }
};

// A straight (not premultiplied) colour, each channel 0..255.
struct IRgba
{
    int32_t alpha = 255;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;

    IRgba() = default;
    IRgba(int32_t a, int32_t r, int32_t g, int32_t b) : alpha(a), red(r), green(g), blue(b) {}
    // The raster pixel alpha<<24 | red<<16 | green<<8 | blue.
    uint32_t Pixel() const
    {
        return static_cast<uint32_t>(alpha & 0xFF) << 24 | static_cast<uint32_t>(red & 0xFF) << 16 |
               static_cast<uint32_t>(green & 0xFF) << 8 | static_cast<uint32_t>(blue & 0xFF);
    }
};

enum ITextStyleBits : int32_t
{
    kStyleNormal = 0,
    kStyleBold = 1,   // tested as bit 0
    kStyleItalic = 2, // tested as bit 1
};

enum ITextAlign : int32_t
{
    kAlignLeft = 0,
    kAlignCenter = 1,
    kAlignRight = 2,
};

enum ITextQuality : int32_t
{
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3,
};

constexpr int kFaceNameSize = 32; // 31 characters and a terminator

struct ITextStyle
{
    char face[kFaceNameSize] = "Arial";
    int32_t size = 14; // cell height in pixels
    IRgba colour;
    int32_t style = kStyleNormal;
    int32_t align = kAlignCenter;
    int32_t orientation = 0; // degrees
    int32_t quality = kQualityDefault;
    // Filled on first use from the module-wide font cache, which owns it.
    PX_IFont* font = nullptr;

    ITextStyle() = default;
    // `face` is cut to 31 characters; null keeps "Arial".
    ITextStyle(const char* faceName, int32_t sizePx, const IRgba& textColour,
               int32_t styleBits = kStyleNormal, int32_t alignment = kAlignCenter,
               int32_t orientationDegrees = 0, int32_t textQuality = kQualityDefault);
};

// A picture from the module-wide image cache. Width and height are those of
// the whole picture; n frames are n equal strips, stacked vertically or side by
// side (the drawing call says which). A missing picture has no bitmap and a
// size of 0 x 0, and draws nothing.
struct IImage
{
    PX_IBitmap* bitmap = nullptr; // owned by the image cache
    int32_t width = 0;            // pixels at 1x, as the layout counts them
    int32_t height = 0;
    int32_t frames = 1;
    // The picture's resource id at 1x (FetchImage sets it), by which the
    // editor finds the same picture drawn for larger scales; 0: none.
    int32_t resourceId = 0;
};

enum IBlendMethod : int32_t
{
    kBlendDefault = 0, // copy weighted by the source's alpha
    kBlendCopy = 1,    // plain copy
    kBlendAdd = 2,     // additive, weighted by the source's alpha
    kBlendDodge = 3,   // colour dodge, weighted by the source's alpha
};

struct IBlend
{
    int32_t method = kBlendDefault; // any other value acts as kBlendDefault
    float weight = 1.0f;            // opacity, 0..1

    IBlend() = default;
    IBlend(int32_t blendMethod, float blendWeight) : method(blendMethod), weight(blendWeight) {}
};

// Buttons and modifier keys at one mouse event.
struct IMouseKeys
{
    bool left = false;
    bool right = false;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// How pop-up lists look when their creator gives no style of its own.
struct IPopupStyle
{
    ITextStyle text{"Arial", 15, IRgba(200, 255, 255, 255), kStyleNormal, kAlignLeft};
    IRgba first{245, 50, 50, 50};    // fill
    IRgba second{75, 200, 200, 200}; // frame
};

// Key codes of KeyDown: space 0, arrows 1-4, digits 6-15, letters 16-41.
enum IKeyCode : int32_t
{
    kKeySpace = 0,
    kKeyUp = 1,
    kKeyDown = 2,
    kKeyLeft = 3,
    kKeyRight = 4,
    kKeyDigit0 = 6,
    kKeyLetterA = 16,
};

} // namespace toneloom
