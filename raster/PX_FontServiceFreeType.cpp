// Linux and headless: fonts are FreeType faces found through fontconfig,
// sized like GDI's cell height, and text is rasterised straight into the
// bitmap's pixels.
#include "PX_FontService.h"
#include "PX_IFont.h"
#include "PX_NativeFont.h"
#include "PX_TextPlacement.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace toneloom {

namespace {

constexpr int kMaxFontHeight = 4096; // pixels
constexpr int kFirstPrintable = 32;  // code points below are not drawn

// One native font: a face at one pixel size.
struct FreeTypeFont
{
    FT_Face face = nullptr;
    int cellHeight = 0; // pixels
    int ascent = 0;     // pixels from the cell top to the baseline
    FT_Int32 loadFlags = FT_LOAD_DEFAULT;
    FT_Render_Mode renderMode = FT_RENDER_MODE_NORMAL;
};

// The FreeType library lives while any font does.
FT_Library library = nullptr;
int liveFonts = 0;

bool AcquireLibrary()
{
    if (library == nullptr && FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        return false;
    }
    ++liveFonts;
    return true;
}

void ReleaseLibrary()
{
    if (--liveFonts == 0) {
        FT_Done_FreeType(library);
        library = nullptr;
    }
}

// The font file fontconfig picks for the face name, weight and slant; false
// when there is none.
bool FindFontFile(const PX_FontSpec& fontSpec, char* path, size_t pathSize, int* index)
{
    if (FcInit() == FcFalse) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    char family[32] = {};
    std::strncpy(family, fontSpec.face != nullptr ? fontSpec.face : "", sizeof family - 1);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        fontSpec.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, fontSpec.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr &&
                 std::strlen(reinterpret_cast<const char*>(file)) < pathSize;
    if (found) {
        std::strcpy(path, reinterpret_cast<const char*>(file));
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) {
            *index = 0;
        }
    }
    FcPatternDestroy(match);
    return found;
}

// Sizes the face so that ascent + descent (the OS/2 table's Windows metrics,
// as GDI uses them) spans `height` pixels.
bool SizeLikeGdi(FreeTypeFont* font, int height)
{
    FT_Face face = font->face;
    int ascent = face->ascender;
    int descent = -face->descender;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0 || face->units_per_EM == 0) {
        return false;
    }
    const double em = static_cast<double>(height) * face->units_per_EM / (ascent + descent);
    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(em * 64.0));
    if (FT_Set_Char_Size(face, 0, size, 72, 72) != 0) { // 72 dpi: points are pixels
        return false;
    }
    font->cellHeight = height;
    font->ascent =
        static_cast<int>(std::lround(static_cast<double>(height) * ascent / (ascent + descent)));
    return true;
}

FreeTypeFont* FontOf(PX_NativeFont font)
{
    return static_cast<FreeTypeFont*>(font);
}

// Code point at text[i] (a surrogate pair makes one), advancing i.
uint32_t NextCodePoint(const uint16_t* text, int count, int* i)
{
    const uint32_t unit = text[(*i)++];
    if (unit >= 0xD800 && unit < 0xDC00 && *i < count && text[*i] >= 0xDC00 && text[*i] < 0xE000) {
        const uint32_t low = text[(*i)++];
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    return unit;
}

// Moves the pixel's four bytes towards the colour by coverage 0..255.
void Cover(PX_Pixel& d, PX_Pixel colour, int coverage)
{
    const int w = coverage + (coverage >> 7); // 255 -> 256
    PX_Pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int dc = static_cast<int>((d >> shift) & 0xFF);
        const int cc = static_cast<int>((colour >> shift) & 0xFF);
        out |= static_cast<PX_Pixel>(dc + (cc - dc) * w / 256) << shift;
    }
    d = out;
}

} // namespace

PX_NativeFont PX_CreateNativeFont(const PX_FontSpec& fontSpec)
{
    if (fontSpec.height < 1 || fontSpec.height > kMaxFontHeight) {
        return nullptr;
    }
    char path[4096];
    int index = 0;
    if (!FindFontFile(fontSpec, path, sizeof path, &index)) {
        return nullptr;
    }
    if (!AcquireLibrary()) {
        return nullptr;
    }
    auto* font = new (std::nothrow) FreeTypeFont;
    if (font == nullptr || FT_New_Face(library, path, index, &font->face) != 0) {
        delete font;
        ReleaseLibrary();
        return nullptr;
    }
    if (!SizeLikeGdi(font, fontSpec.height)) {
        FT_Done_Face(font->face);
        delete font;
        ReleaseLibrary();
        return nullptr;
    }
    if (fontSpec.quality == kPxQualityNonAntiAliased) {
        font->loadFlags = FT_LOAD_TARGET_MONO;
        font->renderMode = FT_RENDER_MODE_MONO;
    }
    return font;
}

void PX_DeleteNativeFont(PX_NativeFont native)
{
    FreeTypeFont* font = FontOf(native);
    if (font == nullptr) {
        return;
    }
    FT_Done_Face(font->face);
    delete font;
    ReleaseLibrary();
}

namespace fontservice {

int LineHeight(PX_NativeFont font)
{
    return font != nullptr ? FontOf(font)->cellHeight : 0;
}

int TextWidth(PX_NativeFont native, const uint16_t* text, int count)
{
    FreeTypeFont* font = FontOf(native);
    if (font == nullptr) {
        return 0;
    }
    FT_Pos pen = 0; // 26.6
    for (int i = 0; i < count;) {
        const uint32_t codePoint = NextCodePoint(text, count, &i);
        if (codePoint < kFirstPrintable) {
            continue;
        }
        if (FT_Load_Char(font->face, codePoint, font->loadFlags) == 0) {
            pen += font->face->glyph->advance.x;
        }
    }
    return static_cast<int>((pen + 32) >> 6);
}

int DrawNative(PX_IBitmap* bitmap, PX_NativeFont native, const uint16_t* text, int count,
               PX_Rect* box, int flags, PX_Pixel colour)
{
    FreeTypeFont* font = FontOf(native);
    if (font == nullptr || box == nullptr) {
        return 0;
    }
    const int width = TextWidth(native, text, count);
    const int height = font->cellHeight;
    if ((flags & kPxTextMeasure) != 0) {
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
    const int baseline = y + font->ascent;
    const PX_Pixel ink = colour | 0xFF000000u;
    FT_Pos pen = static_cast<FT_Pos>(x) * 64;
    for (int i = 0; i < count;) {
        const uint32_t codePoint = NextCodePoint(text, count, &i);
        if (codePoint < kFirstPrintable ||
            FT_Load_Char(font->face, codePoint, font->loadFlags | FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot slot = font->face->glyph;
        const FT_Bitmap& glyph = slot->bitmap;
        const int left = static_cast<int>((pen + 32) >> 6) + slot->bitmap_left;
        const int top = baseline - slot->bitmap_top;
        pen += slot->advance.x;
        const bool mono = glyph.pixel_mode == FT_PIXEL_MODE_MONO;
        if (!mono && glyph.pixel_mode != FT_PIXEL_MODE_GRAY) {
            continue;
        }
        const int rows = static_cast<int>(glyph.rows);
        const int columns = static_cast<int>(glyph.width);
        for (int r = std::max(0, clipT - top); r < rows && top + r < clipB; ++r) {
            const unsigned char* src = glyph.buffer + static_cast<long>(r) * glyph.pitch;
            PX_Pixel* row = bitmap->Row(top + r);
            for (int c = std::max(0, clipL - left); c < columns && left + c < clipR; ++c) {
                const int coverage = mono ? ((src[c >> 3] >> (7 - (c & 7))) & 1) * 255 : src[c];
                if (coverage != 0) {
                    Cover(row[left + c], ink, coverage);
                }
            }
        }
    }
    return height;
}

bool RunningUnderWine()
{
    return false;
}

} // namespace fontservice

} // namespace toneloom

#if defined(__SANITIZE_ADDRESS__)
// fontconfig's first initialisation keeps a few hundred bytes it never frees
// (FcFini would, but a plug-in must not tear down its host's fontconfig).
// Sanitizer builds of any program that reaches the font service ignore it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
