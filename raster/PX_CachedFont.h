// A font whose glyphs are rendered once by the platform's font service and
// then composited from a cache of coverage bytes. Text that the platform
// should draw itself (see DrawText) goes to the font service directly.
//
// [UI thread] Fonts are created, used and destroyed on one thread; the live
// font count and the shared measuring bitmap are module-wide and unguarded.
#pragma once

#include "PX_IFont.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace toneloom {

class PX_SysBitmap;

class PX_CachedFont : public PX_IFont
{
public:
    PX_CachedFont();
    ~PX_CachedFont() override;
    PX_CachedFont(const PX_CachedFont&) = delete;
    PX_CachedFont& operator=(const PX_CachedFont&) = delete;

    bool SetNativeFont(PX_NativeFont font, int flags) override;
    PX_Pixel SetTextColor(PX_Pixel pixel) override;
    PX_Pixel SetBackColor(PX_Pixel pixel) override;
    PX_Pixel SetEffectColor(PX_Pixel pixel) override;
    int SetBackMode(int mode) override;
    void SetCombine(int mode, float opacity) override;
    int DrawText(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box,
                 int flags) override;
    PX_Pixel TextColor() const override { return textColor; }
    PX_NativeFont NativeFont() const override { return nativeFont; }
    int LineHeight() const override { return lineHeight; }
    void PrepareGlyphs(int first, int count) override;

    // Module-wide bookkeeping, for tests and diagnostics.
    static int LiveCount();
    static PX_SysBitmap* SharedMeasuringBitmap(); // null while no font lives

    // Decodes one code point of UTF-8 at text[0..available-1] by this layer's
    // rules (four-byte sequences become a space; anything undecodable is the
    // byte itself). Returns the number of bytes used (1 to 4).
    static int DecodeUtf8(const unsigned char* text, int available, uint16_t* codePoint);

private:
    struct Glyph
    {
        int32_t offset;  // coverage bytes in the store, width x height
        int16_t left;    // first drawn column within the cell
        int16_t width;   // drawn columns after trimming
        int16_t advance; // pen advance in pixels
        int16_t height;  // rows (the line height)
    };

    const Glyph* FindGlyph(uint16_t codePoint);
    bool UseNativePath(int flags) const;
    int DrawNative(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box, int flags);
    int DrawCached(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box, int flags);
    void ClearGlyphs();

    PX_Pixel textColor = 0;
    PX_Pixel backColor = 0xFFFFFFFFu;
    PX_Pixel effectColor = 0xFFFFFFFFu;
    int backMode = 1;
    int combineMode = 0;
    float combineOpacity = 1.0f;
    int lineHeight = 0; // pixels
    int fontFlags = 0;
    PX_NativeFont nativeFont = nullptr;

    // Glyph cache: direct index for code points below kDirectGlyphs, a map
    // for the rest; entries are indices into `glyphs` (-1 = not rendered).
    static constexpr int kDirectGlyphs = 768;
    int32_t directIndex[kDirectGlyphs];
    std::unordered_map<uint16_t, int32_t> otherIndex;
    std::vector<Glyph> glyphs;
    std::vector<uint8_t> coverage; // 0 = untouched, 255 = fully covered
};

} // namespace toneloom
