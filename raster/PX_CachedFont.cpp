#include "PX_CachedFont.h"

namespace toneloom {

PX_CachedFont::PX_CachedFont()
{
    ClearGlyphs();
}
PX_CachedFont::~PX_CachedFont() = default;
bool PX_CachedFont::SetNativeFont(PX_NativeFont, int)
{
    return false;
}
PX_Pixel PX_CachedFont::SetTextColor(PX_Pixel pixel)
{
    const PX_Pixel old = textColor;
    textColor = pixel;
    return old;
}
PX_Pixel PX_CachedFont::SetBackColor(PX_Pixel pixel)
{
    const PX_Pixel old = backColor;
    backColor = pixel;
    return old;
}
PX_Pixel PX_CachedFont::SetEffectColor(PX_Pixel pixel)
{
    const PX_Pixel old = effectColor;
    effectColor = pixel;
    return old;
}
int PX_CachedFont::SetBackMode(int mode)
{
    const int old = backMode;
    backMode = mode;
    return old;
}
void PX_CachedFont::SetCombine(int mode, float opacity)
{
    combineMode = mode;
    combineOpacity = opacity;
}
int PX_CachedFont::DrawText(PX_IBitmap*, const char*, int, PX_Rect*, int)
{
    return 0;
}
void PX_CachedFont::PrepareGlyphs(int, int) {}
int PX_CachedFont::LiveCount()
{
    return 0;
}
PX_SysBitmap* PX_CachedFont::SharedMeasuringBitmap()
{
    return nullptr;
}
int PX_CachedFont::DecodeUtf8(const unsigned char* text, int, uint16_t* codePoint)
{
    *codePoint = text[0];
    return 1;
}
void PX_CachedFont::ClearGlyphs()
{
    for (int32_t& entry : directIndex) {
        entry = -1;
    }
    otherIndex.clear();
    glyphs.clear();
    coverage.clear();
}

} // namespace toneloom
