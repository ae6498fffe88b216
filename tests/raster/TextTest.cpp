// Cached-font text: UTF-8 decoding, glyph placement and alignment, the copy
// rule and opacity, the platform path for tall text, measuring, and the
// module-wide font bookkeeping. Runs against FreeType on Linux and GDI under
// Wine alike, so glyph shapes are compared by extent, not by hash.
#include "PX_CachedFont.h"
#include "PX_MemBitmap.h"
#include "PX_NativeFont.h"
#include "PX_SysBitmap.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace toneloom;
using toneloom::test::At;
using toneloom::test::Fill;
using toneloom::test::Ink;
using toneloom::test::InkOf;

namespace {

constexpr PX_Pixel kBlack = 0xFF000000u;
constexpr int kTextFlags = kPxTextNoClip | kPxTextUseAlpha; // what the editor passes for labels

std::unique_ptr<PX_CachedFont> MakeFont(int height, const char* face = "Arial")
{
    PX_FontSpec fontSpec;
    fontSpec.face = face;
    fontSpec.height = height;
    PX_NativeFont native = PX_CreateNativeFont(fontSpec);
    if (native == nullptr) {
        return nullptr;
    }
    auto font = std::make_unique<PX_CachedFont>();
    if (!font->SetNativeFont(native, kPxFontOwnsNative | kPxFontPreferNative)) {
        return nullptr;
    }
    return font;
}

// Draws text into a fresh black bitmap and returns the ink's extent.
Ink Draw(PX_CachedFont& font, const std::string& text, PX_MemBitmap& bitmap, int flags = kTextFlags,
         PX_Rect box = {10, 5, 190, 25})
{
    Fill(bitmap, kBlack);
    font.DrawText(&bitmap, text.c_str(), static_cast<int>(text.size()), &box, flags);
    return InkOf(bitmap, kBlack);
}

bool SamePixels(const PX_IBitmap& a, const PX_IBitmap& b)
{
    for (int y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), sizeof(PX_Pixel) * static_cast<size_t>(a.Width())) !=
            0) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(RasterText, Utf8DecodingFollowsTheLayersRules)
{
    struct Case
    {
        const char* bytes;
        int available;
        uint16_t codePoint;
        int used;
    };
    const Case cases[] = {
        {"A", 1, 'A', 1},
        {"\xC3\xA9", 2, 0xE9, 2},         // é
        {"\xE2\x82\xAC", 3, 0x20AC, 3},   // €
        {"\xF0\x9F\x98\x80", 4, ' ', 4},  // beyond 16 bits: a space
        {"\x80", 1, 0x80, 1},             // stray continuation byte
        {"\xC3", 1, 0xC3, 1},             // lead cut short
        {"\xC3\x41", 2, 0xC3, 1},         // lead without continuation
        {"\xC1\xA9", 2, 0xC1, 1},         // overlong lead: the byte itself
        {"\xE2\x82", 2, 0xE2, 1},         // three-byte lead cut short
        {"\xF5\x80\x80\x80", 4, 0xF5, 1}, // not a lead
    };
    for (const Case& c : cases) {
        uint16_t codePoint = 0;
        const int used = PX_CachedFont::DecodeUtf8(reinterpret_cast<const unsigned char*>(c.bytes),
                                                   c.available, &codePoint);
        EXPECT_EQ(used, c.used) << c.bytes;
        EXPECT_EQ(codePoint, c.codePoint) << c.bytes;
    }
}

TEST(RasterText, FontsShareOneMeasuringBitmapWhileAnyLives)
{
    const int before = PX_CachedFont::LiveCount();
    ASSERT_EQ(before, 0);
    EXPECT_EQ(PX_CachedFont::SharedMeasuringBitmap(), nullptr);
    {
        auto first = MakeFont(15);
        ASSERT_NE(first, nullptr);
        auto second = MakeFont(13, "Verdana");
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(PX_CachedFont::LiveCount(), 2);
        PX_SysBitmap* shared = PX_CachedFont::SharedMeasuringBitmap();
        ASSERT_NE(shared, nullptr);
        EXPECT_GE(shared->Width(), 256);
        EXPECT_GE(shared->Height(), 256);
        EXPECT_EQ(first->LineHeight(), 15); // cell height, as asked
        // A replaced native font that the cached font owned is freed (the
        // sanitizer build reports it otherwise).
        PX_FontSpec taller;
        taller.height = 20;
        EXPECT_TRUE(first->SetNativeFont(PX_CreateNativeFont(taller),
                                         kPxFontOwnsNative | kPxFontPreferNative));
        EXPECT_EQ(first->LineHeight(), 20);
        EXPECT_NEAR(second->LineHeight(), 13, 1); // Wine may round a substituted face up
    }
    EXPECT_EQ(PX_CachedFont::LiveCount(), 0);
    EXPECT_EQ(PX_CachedFont::SharedMeasuringBitmap(), nullptr);
}

TEST(RasterText, MultiByteSequencesDrawOneGlyphEach)
{
    auto font = MakeFont(15);
    ASSERT_NE(font, nullptr);
    font->SetTextColor(0xFFFFFFFFu);
    PX_MemBitmap a(200, 30), b(200, 30);

    // An accented letter: one glyph, as wide as its base letter, reaching higher.
    const Ink e = Draw(*font, "e", a);
    const Ink eAcute = Draw(*font, "\xC3\xA9", a);
    ASSERT_FALSE(e.Empty());
    ASSERT_FALSE(eAcute.Empty());
    EXPECT_NEAR(eAcute.right - eAcute.left, e.right - e.left, 2);
    EXPECT_LT(eAcute.top, e.top);
    EXPECT_EQ(eAcute.bottom, e.bottom);

    // A four-byte sequence draws a space.
    Draw(*font,
         "a\xF0\x9F\x98\x80"
         "b",
         a);
    Draw(*font, "a b", b);
    EXPECT_TRUE(SamePixels(a, b));

    // A stray byte draws its own code point: 0xA9 is the copyright sign.
    Draw(*font, "x\xA9", a);
    Draw(*font, "x\xC2\xA9", b);
    EXPECT_TRUE(SamePixels(a, b));
    EXPECT_FALSE(InkOf(a, kBlack).Empty());
}

TEST(RasterText, LabelsAlignLeftCentreAndRightFromTheTop)
{
    auto font = MakeFont(15);
    ASSERT_NE(font, nullptr);
    font->SetTextColor(0xFFFFFFFFu);
    PX_MemBitmap bitmap(200, 40);
    const PX_Rect box = {10, 5, 190, 25};
    const Ink left = Draw(*font, "THETA", bitmap, kTextFlags, box);
    const Ink centre = Draw(*font, "THETA", bitmap, kTextFlags | kPxTextCenter, box);
    const Ink right = Draw(*font, "THETA", bitmap, kTextFlags | kPxTextRight, box);
    ASSERT_FALSE(left.Empty());
    EXPECT_NEAR(left.left, box.left, 2);
    EXPECT_NEAR(right.right, box.right, 2);
    EXPECT_NEAR((centre.left + centre.right) / 2.0, (box.left + box.right) / 2.0, 2.0);
    for (const Ink& ink : {left, centre, right}) {
        EXPECT_GE(ink.top, box.top);
        EXPECT_LE(ink.bottom, box.top + font->LineHeight());
        EXPECT_EQ(ink.right - ink.left, left.right - left.left);
    }
    // Measuring only: the extent comes back in the box, nothing is drawn.
    PX_Rect measured = {10, 5, 10, 5};
    EXPECT_EQ(font->DrawText(nullptr, "THETA", -1, &measured, kPxTextMeasure), font->LineHeight());
    EXPECT_NEAR(measured.right - measured.left, left.right - left.left, 3);
    EXPECT_EQ(measured.bottom - measured.top, font->LineHeight());
    EXPECT_EQ(font->DrawText(nullptr, "THETA", -1, &measured, 0), 0);
    // Clipped to the box unless told otherwise.
    const Ink clipped = Draw(*font, "THETA", bitmap, kPxTextUseAlpha, {10, 5, 20, 12});
    EXPECT_LE(clipped.right, 20);
    EXPECT_LE(clipped.bottom, 12);
}

TEST(RasterText, CopyRuleMovesEveryByteByOpacityAndCoverage)
{
    auto font = MakeFont(15);
    ASSERT_NE(font, nullptr);
    PX_MemBitmap opaque(200, 30), faint(200, 30);
    font->SetTextColor(0xFFFFFFFFu);
    Draw(*font, "ALPHA", opaque);
    font->SetTextColor(0x80FFFFFFu); // alpha 128: opacity about one half
    const Ink ink = Draw(*font, "ALPHA", faint);
    ASSERT_GT(ink.count, 20);
    int brightest = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 200; ++x) {
            const PX_Pixel full = At(opaque, x, y), half = At(faint, x, y);
            if (full == kBlack) {
                ASSERT_EQ(half, kBlack) << "coverage 0 must leave the pixel";
                continue;
            }
            // Same coverage at k = 128: about half the way; the alpha byte
            // moves from 255 towards the colour's 128 as well.
            const int coverageFull = static_cast<int>(PX_Red(full));
            const int red = static_cast<int>(PX_Red(half));
            EXPECT_NEAR(red, coverageFull / 2, 2) << x << "," << y;
            EXPECT_LE(PX_Alpha(half), 255u);
            EXPECT_GE(PX_Alpha(half), 128u);
            brightest = std::max(brightest, red);
        }
    }
    EXPECT_NEAR(brightest, 127, 2);
    // Opacity 0 draws nothing.
    font->SetTextColor(0x00FFFFFFu);
    EXPECT_TRUE(Draw(*font, "ALPHA", faint).Empty());
}

TEST(RasterText, TallTextAndOpaqueTextGoToThePlatformRenderer)
{
    // Above 255 pixels of line height the platform draws, whatever the
    // colour's alpha: full-strength ink appears although alpha asks for 100/255.
    auto tall = MakeFont(300);
    ASSERT_NE(tall, nullptr);
    EXPECT_EQ(tall->LineHeight(), 300);
    tall->SetTextColor(0x64FFFFFFu);
    PX_SysBitmap surface(400, 320);
    Fill(surface, kBlack);
    PX_Rect box = {0, 0, 400, 320};
    EXPECT_EQ(tall->DrawText(&surface, "H", -1, &box, kTextFlags), 300);
    const Ink ink = InkOf(surface, kBlack, 0x00FFFFFFu);
    EXPECT_GT(ink.count, 1000);
    EXPECT_GT(ink.bottom - ink.top, 150);
    bool fullStrength = false;
    for (int y = ink.top; y < ink.bottom && !fullStrength; ++y) {
        for (int x = ink.left; x < ink.right; ++x) {
            fullStrength = fullStrength || (At(surface, x, y) & 0x00FFFFFFu) == 0x00FFFFFFu;
        }
    }
    EXPECT_TRUE(fullStrength);

    // Opaque text without the alpha flag may take either path; both draw
    // the same text in the same place.
    auto font = MakeFont(15);
    ASSERT_NE(font, nullptr);
    font->SetTextColor(0xFFFFFFFFu);
    PX_SysBitmap label(200, 30);
    Fill(label, kBlack);
    PX_Rect labelBox = {10, 5, 190, 25};
    font->DrawText(&label, "DELTA", -1, &labelBox, kPxTextNoClip | kPxTextCenter);
    PX_MemBitmap cached(200, 30);
    const Ink viaCache = Draw(*font, "DELTA", cached, kTextFlags | kPxTextCenter);
    const Ink viaEither = InkOf(label, kBlack, 0x00FFFFFFu);
    EXPECT_NEAR(viaEither.left, viaCache.left, 2);
    EXPECT_NEAR(viaEither.right, viaCache.right, 2);
    EXPECT_NEAR(viaEither.top, viaCache.top, 2);
}

TEST(RasterText, NonAntialiasedQualityGivesBiLevelGlyphs)
{
    PX_FontSpec fontSpec;
    fontSpec.height = 15;
    fontSpec.quality = kPxQualityNonAntiAliased;
    PX_CachedFont font;
    ASSERT_TRUE(font.SetNativeFont(PX_CreateNativeFont(fontSpec), kPxFontOwnsNative));
    font.SetTextColor(0xFFFFFFFFu);
    PX_MemBitmap bitmap(200, 30);
    ASSERT_GT(Draw(font, "Rate 1/16", bitmap).count, 20);
    // Copy rule at full coverage and opacity: 255 x 65280 / 65536 = 254.
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 200; ++x) {
            const uint32_t red = PX_Red(At(bitmap, x, y));
            ASSERT_TRUE(red == 0 || red == 254) << red << " at " << x << "," << y;
        }
    }
}
