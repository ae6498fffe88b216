// The font interface of the raster layer.
#pragma once

#include "PX_IBitmap.h"

namespace toneloom {

// Font flags (SetNativeFont).
constexpr int kPxFontPreload = 0x4; // render code points 0..127 into the cache at once
constexpr int kPxFontOwnsNative =
    0x200; // the font deletes its native font when replaced or destroyed
constexpr int kPxFontPreferNative = 0x400; // draw with the platform's text renderer when allowed

// DrawText flags.
constexpr int kPxTextCenter = 0x1;      // centre horizontally in the box
constexpr int kPxTextRight = 0x2;       // right-align in the box
constexpr int kPxTextVCenter = 0x4;     // centre vertically
constexpr int kPxTextBottom = 0x8;      // align to the bottom of the box
constexpr int kPxTextSingleLine = 0x20; // line breaks are ordinary characters
constexpr int kPxTextNoClip = 0x100;    // do not clip to the box
constexpr int kPxTextMeasure = 0x400; // only measure: the box's right and bottom become the extent
constexpr int kPxTextUseAlpha = 0x40000000; // scale the combine opacity by the text colour's alpha

class PX_IFont
{
public:
    virtual ~PX_IFont() = default;

    // Takes a native font (see PX_NativeFont.h) with the font flags above.
    // Returns false when the font cannot be used (null or no metrics); the
    // font is kept (and, with kPxFontOwnsNative, owned) either way.
    virtual bool SetNativeFont(PX_NativeFont font, int flags) = 0;
    virtual PX_Pixel SetTextColor(PX_Pixel pixel) = 0; // returns the previous colour
    virtual PX_Pixel SetBackColor(PX_Pixel pixel) = 0;
    virtual PX_Pixel SetEffectColor(PX_Pixel pixel) = 0;
    virtual int SetBackMode(int mode) = 0;
    virtual void SetCombine(int mode, float opacity) = 0;
    // Draws UTF-8 text (length -1: up to the terminator) into the box of the
    // bitmap. Returns the height of the text in pixels, 0 when nothing was
    // drawn or measured. With kPxTextMeasure the bitmap may be null and the
    // box's right and bottom are set to left + width and top + height.
    virtual int DrawText(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box,
                         int flags) = 0;
    virtual PX_Pixel TextColor() const = 0;
    virtual PX_NativeFont NativeFont() const = 0;
    virtual int LineHeight() const = 0; // pixels
    // Renders the code points first .. first + count - 1 into the glyph cache.
    virtual void PrepareGlyphs(int first, int count) = 0;
};

} // namespace toneloom
