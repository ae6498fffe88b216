#include "PX_CachedFont.h"
#include "PX_TextPlacement.h"

#include "PX_Combine.h"
#include "PX_FontService.h"
#include "PX_NativeFont.h"
#include "PX_SysBitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace toneloom {

namespace {

// Module-wide: the live cached fonts and the bitmap glyphs are rendered into.
int liveFonts = 0;
PX_SysBitmap* measuring = nullptr;

constexpr int kMinMeasuringSide = 256;    // pixels
constexpr int kMaxCachedLineHeight = 255; // taller text is drawn natively
constexpr PX_Pixel kOpaqueBlack = 0xFF000000u;
constexpr PX_Pixel kWhite = 0xFFFFFFFFu;
// Font flags that keep text off the platform renderer.
constexpr int kNativeExcludedFontFlags = kPxFontPreload | 0x1F3;
// UTF-16 conversion for the native path: a fixed buffer, the heap beyond.
constexpr int kStackUnits = 1024;
constexpr int kHeapThreshold = 999;

// Makes sure the measuring bitmap exists and is at least side x side.
bool EnsureMeasuring(int side)
{
    side = std::max(side, kMinMeasuringSide);
    if (measuring == nullptr) {
        measuring = new (std::nothrow) PX_SysBitmap(side, side);
        return measuring != nullptr && measuring->Pixels() != nullptr;
    }
    if (measuring->Width() < side || measuring->Height() < side) {
        measuring->SetSize(std::max(side, measuring->Width()), std::max(side, measuring->Height()));
    }
    return measuring->Pixels() != nullptr && measuring->Width() >= side &&
           measuring->Height() >= side;
}

// Strict UTF-8 to UTF-16; false for any invalid or overlong sequence.
bool Utf8ToUtf16(const unsigned char* text, int length, uint16_t* out, int* count)
{
    int n = 0;
    for (int i = 0; i < length;) {
        const unsigned lead = text[i];
        int extra = 0;
        uint32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (extra > 0 && i + extra >= length) {
            return false; // cut short
        }
        for (int j = 1; j <= extra; ++j) {
            const unsigned c = text[i + j];
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out[n++] = static_cast<uint16_t>(0xD800 + (cp >> 10));
            out[n++] = static_cast<uint16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[n++] = static_cast<uint16_t>(cp);
        }
    }
    *count = n;
    return true;
}

} // namespace

PX_CachedFont::PX_CachedFont()
{
    ++liveFonts;
    ClearGlyphs();
}

PX_CachedFont::~PX_CachedFont()
{
    if ((fontFlags & kPxFontOwnsNative) != 0 && nativeFont != nullptr) {
        PX_DeleteNativeFont(nativeFont);
    }
    if (--liveFonts == 0) {
        delete measuring;
        measuring = nullptr;
    }
}

int PX_CachedFont::LiveCount()
{
    return liveFonts;
}
PX_SysBitmap* PX_CachedFont::SharedMeasuringBitmap()
{
    return measuring;
}

bool PX_CachedFont::SetNativeFont(PX_NativeFont font, int flags)
{
    if ((fontFlags & kPxFontOwnsNative) != 0 && nativeFont != nullptr && nativeFont != font) {
        PX_DeleteNativeFont(nativeFont);
    }
    nativeFont = font;
    fontFlags = flags;
    lineHeight = font != nullptr ? fontservice::LineHeight(font) : 0;
    ClearGlyphs();
    // Room for the glyphs of the cached path; taller text is drawn natively,
    // and a tall glyph that must be cached anyway enlarges the bitmap then.
    if (lineHeight <= 0 || !EnsureMeasuring(std::min(lineHeight, kMaxCachedLineHeight) * 2)) {
        return false;
    }
    if ((flags & kPxFontPreload) != 0) {
        PrepareGlyphs(0, 128);
    }
    return true;
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

void PX_CachedFont::ClearGlyphs()
{
    std::fill(std::begin(directIndex), std::end(directIndex), -1);
    otherIndex.clear();
    glyphs.clear();
    coverage.clear();
}

int PX_CachedFont::DecodeUtf8(const unsigned char* text, int available, uint16_t* codePoint)
{
    auto continuation = [&](int i) { return i < available && (text[i] & 0xC0) == 0x80; };
    const unsigned lead = text[0];
    if (lead >= 194 && lead <= 223 && continuation(1)) {
        *codePoint = static_cast<uint16_t>(((lead & 0x1F) << 6) | (text[1] & 0x3F));
        return 2;
    }
    if (lead >= 224 && lead <= 239 && continuation(1) && continuation(2)) {
        *codePoint =
            static_cast<uint16_t>((lead << 12) | ((text[1] & 0x3F) << 6) | (text[2] & 0x3F));
        return 3;
    }
    if (lead >= 240 && lead <= 244 && continuation(1) && continuation(2) && continuation(3)) {
        *codePoint = ' ';
        return 4;
    }
    *codePoint = static_cast<uint16_t>(lead);
    return 1;
}

const PX_CachedFont::Glyph* PX_CachedFont::FindGlyph(uint16_t codePoint)
{
    int32_t* slot = nullptr;
    if (codePoint < kDirectGlyphs) {
        slot = &directIndex[codePoint];
    } else {
        auto found = otherIndex.find(codePoint);
        if (found != otherIndex.end()) {
            return &glyphs[static_cast<size_t>(found->second)];
        }
    }
    if (slot != nullptr && *slot >= 0) {
        return &glyphs[static_cast<size_t>(*slot)];
    }
    // Render the code point white on black; its red bytes are the coverage.
    const int advance = fontservice::TextWidth(nativeFont, &codePoint, 1);
    const int pad = lineHeight; // room for ink left and right of the pen
    const int cellWidth = advance + 2 * pad;
    if (!EnsureMeasuring(std::max(cellWidth, lineHeight))) {
        return nullptr;
    }
    for (int y = 0; y < lineHeight; ++y) {
        std::fill(measuring->Row(y), measuring->Row(y) + cellWidth, kOpaqueBlack);
    }
    PX_Rect cell = {pad, 0, pad + advance, lineHeight};
    fontservice::DrawNative(measuring, nativeFont, &codePoint, 1, &cell, kPxTextNoClip, kWhite);
    // Trim empty columns at both edges.
    int first = cellWidth, last = -1;
    for (int y = 0; y < lineHeight; ++y) {
        const PX_Pixel* row = measuring->Row(y);
        for (int x = 0; x < cellWidth; ++x) {
            if (PX_Red(row[x]) != 0) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    Glyph glyph = {};
    glyph.offset = static_cast<int32_t>(coverage.size());
    glyph.advance = static_cast<int16_t>(advance);
    glyph.height = static_cast<int16_t>(lineHeight);
    if (last >= first) {
        glyph.left = static_cast<int16_t>(first - pad);
        glyph.width = static_cast<int16_t>(last - first + 1);
        coverage.reserve(coverage.size() + static_cast<size_t>(glyph.width) * lineHeight);
        for (int y = 0; y < lineHeight; ++y) {
            const PX_Pixel* row = measuring->Row(y);
            for (int x = first; x <= last; ++x) {
                coverage.push_back(static_cast<uint8_t>(PX_Red(row[x])));
            }
        }
    }
    const int32_t index = static_cast<int32_t>(glyphs.size());
    glyphs.push_back(glyph);
    if (slot != nullptr) {
        *slot = index;
    } else {
        otherIndex[codePoint] = index;
    }
    return &glyphs.back();
}

void PX_CachedFont::PrepareGlyphs(int first, int count)
{
    if (nativeFont == nullptr || lineHeight <= 0) {
        return;
    }
    for (int cp = std::max(first, 0); cp < first + count && cp <= 0xFFFF; ++cp) {
        FindGlyph(static_cast<uint16_t>(cp));
    }
}

bool PX_CachedFont::UseNativePath(int flags) const
{
    if (nativeFont == nullptr) {
        return false;
    }
    if (lineHeight > kMaxCachedLineHeight) {
        return true;
    }
    return (fontFlags & kPxFontPreferNative) != 0 && !fontservice::RunningUnderWine() &&
           (flags & kPxTextUseAlpha) == 0 && (fontFlags & kNativeExcludedFontFlags) == 0;
}

int PX_CachedFont::DrawNative(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box,
                              int flags)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    uint16_t stackUnits[kStackUnits];
    std::unique_ptr<uint16_t[]> heapUnits;
    uint16_t* units = stackUnits;
    if (length > kHeapThreshold) {
        heapUnits.reset(new (std::nothrow) uint16_t[static_cast<size_t>(length)]);
        if (heapUnits == nullptr) {
            return -1;
        }
        units = heapUnits.get();
    }
    int count = 0;
    if (!Utf8ToUtf16(bytes, length, units, &count)) {
        return -1;
    }
    return fontservice::DrawNative(bitmap, nativeFont, units, count, box, flags, textColor);
}

int PX_CachedFont::DrawCached(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box,
                              int flags)
{
    float opacity = combineOpacity;
    if ((flags & kPxTextUseAlpha) != 0) {
        opacity = opacity * static_cast<float>(PX_Alpha(textColor)) / 255.0f;
    }
    const bool measureOnly = (flags & kPxTextMeasure) != 0;
    const int k = px::Weight(opacity);
    if (k == 0 && !measureOnly) {
        return 0;
    }
    // Decode and measure.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int width = 0;
    for (int i = 0; i < length;) {
        uint16_t cp = 0;
        i += DecodeUtf8(bytes + i, length - i, &cp);
        const Glyph* glyph = FindGlyph(cp);
        if (glyph != nullptr) {
            width += glyph->advance;
        }
    }
    const int height = lineHeight;
    if (measureOnly) {
        box->right = box->left + width;
        box->bottom = box->top + height;
        return height;
    }
    if (bitmap == nullptr || bitmap->Pixels() == nullptr) {
        return 0;
    }
    const PX_TextPlacement place = PX_PlaceText(*bitmap, *box, flags, width, height);
    const int x = place.x;
    const int y = place.y;
    const int clipL = place.clip.left;
    const int clipT = place.clip.top;
    const int clipR = place.clip.right;
    const int clipB = place.clip.bottom;
    bool forceOpaque = false;
    const px::Rule rule = px::RuleFor(combineMode, &forceOpaque);
    const PX_Pixel colour = textColor;
    const int colourBytes[4] = {px::Channel(colour, 0), px::Channel(colour, 8),
                                px::Channel(colour, 16), px::Channel(colour, 24)};
    int pen = x;
    for (int i = 0; i < length;) {
        uint16_t cp = 0;
        i += DecodeUtf8(bytes + i, length - i, &cp);
        const Glyph* glyph = FindGlyph(cp);
        if (glyph == nullptr) {
            continue;
        }
        const int left = pen + glyph->left;
        pen += glyph->advance;
        const uint8_t* cover = coverage.data() + glyph->offset;
        for (int r = std::max(0, clipT - y); r < glyph->height && y + r < clipB; ++r) {
            const uint8_t* line = cover + static_cast<long>(r) * glyph->width;
            PX_Pixel* row = bitmap->Row(y + r);
            for (int c = std::max(0, clipL - left); c < glyph->width && left + c < clipR; ++c) {
                const int amount = line[c];
                if (amount == 0) {
                    continue;
                }
                PX_Pixel& d = row[left + c];
                if (rule == px::Rule::Copy) {
                    // Every byte towards the colour by k x coverage / 65536.
                    const int weight = k * amount;
                    PX_Pixel out = 0;
                    for (int b = 0; b < 4; ++b) {
                        const int dc = static_cast<int>((d >> (8 * b)) & 0xFF);
                        out |= static_cast<PX_Pixel>(dc + (colourBytes[b] - dc) * weight / 65536)
                               << (8 * b);
                    }
                    d = out;
                } else {
                    const int weight = k * amount / 256;
                    if (weight > 0) {
                        d = px::Combine(rule, d, forceOpaque ? colour | 0xFF000000u : colour,
                                        weight);
                    }
                }
            }
        }
    }
    return height;
}

int PX_CachedFont::DrawText(PX_IBitmap* bitmap, const char* text, int length, PX_Rect* box,
                            int flags)
{
    if (text == nullptr || box == nullptr || nativeFont == nullptr || lineHeight <= 0) {
        return 0;
    }
    // Far-off boxes draw nothing visible; refusing them keeps all placement
    // arithmetic well inside int.
    constexpr int32_t kMaxCoordinate = 1 << 24; // pixels
    for (int32_t v : {box->left, box->top, box->right, box->bottom}) {
        if (v > kMaxCoordinate || v < -kMaxCoordinate) {
            return 0;
        }
    }
    if (bitmap == nullptr && (flags & kPxTextMeasure) == 0) {
        return 0;
    }
    if (length < 0) {
        length = static_cast<int>(std::strlen(text));
    }
    if (UseNativePath(flags)) {
        const int drawn = DrawNative(bitmap, text, length, box, flags);
        if (drawn >= 0) {
            return drawn;
        }
        // Not convertible, or no device context to draw on: the cached path.
    }
    return DrawCached(bitmap, text, length, box, flags);
}

} // namespace toneloom
