// Rectangle and rotated copies: the combine rule of every mode and opacity the
// editor uses, byte for byte, and clipping on every side.
#include "PX_Draw.h"
#include "PX_MemBitmap.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace toneloom;
using toneloom::test::At;
using toneloom::test::Fill;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct PixelRule
{
    const char* name;
    int mode;
    float opacity;
    PX_Pixel dest;
    PX_Pixel src;
    PX_Pixel expected;
};

// Expected values worked out by hand from the rules (d + (s - d) x k / 256 and
// the source-alpha forms).
const PixelRule kPixelRules[] = {
    {"CopyWholePixelAlphaIncluded", kPxCopy, 1.0f, 0x40404040u, 0x12345678u, 0x12345678u},
    {"CopyHalfAveragesEveryByte", kPxCopy, 0.5f, 0x10204080u, 0xF0E0C0A0u, 0x80808090u},
    {"CopyQuarterBlendsWithK", kPxCopy, 0.25f, 0x40404040u, 0xC0C0C0C0u, 0x60606060u},
    {"SourceAlphaZeroLeavesPixel", kPxSourceAlpha, 1.0f, 0x11223344u, 0x00FFFFFFu, 0x11223344u},
    {"SourceAlphaOpaqueReplaces", kPxSourceAlpha, 1.0f, 0x11223344u, 0xFFA0B0C0u, 0xFFA0B0C0u},
    {"SourceAlphaHalfOverOpaqueSaturates", kPxSourceAlpha, 1.0f, 0xFF0000FFu, 0x80FF0000u,
     0xFF81007Eu},
    {"SourceAlphaHalfOverClearGivesSourceAlpha", kPxSourceAlpha, 1.0f, 0x000000FFu, 0x80FF0000u,
     0x8081007Eu},
    {"SourceAlphaAtHalfOpacity", kPxSourceAlpha, 0.5f, 0x000000FFu, 0xFFFF0000u, 0x8080007Fu},
    {"SourceAlphaZeroAtHalfOpacityLeavesPixel", kPxSourceAlpha, 0.5f, 0x11223344u, 0x00FFFFFFu,
     0x11223344u},
    {"AddUsesSourceAlphaAndSaturates", kPxSourceAlpha | kPxAdd, 1.0f, 0x10F01010u, 0x80404040u,
     0x50FF3030u},
    {"AddAlphaZeroLeavesPixel", kPxSourceAlpha | kPxAdd, 1.0f, 0x10F01010u, 0x00404040u,
     0x10F01010u},
    {"DodgeBrightens", kPxSourceAlpha | kPxDodge, 1.0f, 0x10400040u, 0xFF80FF80u, 0xFF800080u},
    {"DodgeOfClearStaysClear", kPxSourceAlpha | kPxDodge, 1.0f, 0x00404040u, 0xFF808080u,
     0x00808080u},
};

class BlitRule : public testing::TestWithParam<PixelRule>
{
};

} // namespace

TEST_P(BlitRule, CombinesEveryPixelOfARowExactly)
{
    // Nine pixels: whole groups and a remainder for any wide loop.
    const PixelRule& rule = GetParam();
    PX_MemBitmap dest(11, 1), src(9, 1);
    Fill(dest, rule.dest);
    Fill(src, rule.src);
    BlitRect(&dest, &src, 1, 0, 0, 0, 9, 1, rule.opacity, rule.mode);
    for (int x = 1; x <= 9; ++x) {
        EXPECT_EQ(At(dest, x, 0), rule.expected) << std::hex << At(dest, x, 0) << " at " << x;
    }
    EXPECT_EQ(At(dest, 0, 0), rule.dest);
    EXPECT_EQ(At(dest, 10, 0), rule.dest);
}

INSTANTIATE_TEST_SUITE_P(RasterBlit, BlitRule, testing::ValuesIn(kPixelRules),
                         [](const testing::TestParamInfo<PixelRule>& p) {
                             return std::string(p.param.name);
                         });

namespace {

// Source pixel value that names its position.
PX_Pixel Tag(int x, int y)
{
    return 0xFF000000u | static_cast<PX_Pixel>((y + 1) << 8 | (x + 1));
}

struct ClipCase
{
    const char* name;
    int dstX, dstY, srcX, srcY, width, height;
};

const ClipCase kClipCases[] = {
    {"Inside", 2, 3, 1, 1, 3, 2},
    {"PastLeftEdge", -2, 1, 0, 0, 5, 5},
    {"PastTopEdge", 1, -3, 0, 0, 5, 5},
    {"PastRightEdge", 6, 1, 0, 0, 5, 5},
    {"PastBottomEdge", 1, 6, 0, 0, 5, 5},
    {"NegativeSourceOrigin", 2, 2, -2, -1, 5, 5},
    {"BothNegative", -1, -1, -1, -1, 6, 6},
    {"LargerThanSource", 0, 0, 3, 3, 50, 50},
    {"NothingLeft", 8, 8, 0, 0, 5, 5},
    {"HugeSizes", -2000000000, 0, 0, 0, 2000000000, 2000000000},
};

class BlitClip : public testing::TestWithParam<ClipCase>
{
};

} // namespace

TEST_P(BlitClip, CopiesExactlyTheOverlap)
{
    const ClipCase& c = GetParam();
    PX_MemBitmap src(5, 5), dest(8, 8);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            src.Row(y)[x] = Tag(x, y);
        }
    }
    Fill(dest, 0);
    BlitRect(&dest, &src, c.dstX, c.dstY, c.srcX, c.srcY, c.width, c.height, 1.0f, kPxCopy);
    // Reference: a destination pixel takes the source pixel at the same offset
    // when both lie inside their bitmaps and inside the requested rectangle.
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const long sx = static_cast<long>(x) - c.dstX + c.srcX;
            const long sy = static_cast<long>(y) - c.dstY + c.srcY;
            const bool inside = x - static_cast<long>(c.dstX) < c.width && x >= c.dstX &&
                                y >= c.dstY && y - static_cast<long>(c.dstY) < c.height &&
                                sx >= 0 && sy >= 0 && sx < 5 && sy < 5;
            const PX_Pixel expected = inside ? Tag(static_cast<int>(sx), static_cast<int>(sy)) : 0;
            ASSERT_EQ(At(dest, x, y), expected) << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RasterBlit, BlitClip, testing::ValuesIn(kClipCases),
                         [](const testing::TestParamInfo<ClipCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(RasterBlit, NothingHappensWithoutPixelsOrOpacity)
{
    PX_MemBitmap dest(4, 4), src(4, 4), empty;
    Fill(dest, 0x01020304u);
    Fill(src, 0xFFFFFFFFu);
    BlitRect(&dest, &src, 0, 0, 0, 0, 4, 4, 0.0f, kPxCopy);
    BlitRect(&dest, &src, 0, 0, 0, 0, 4, 4, std::nanf(""), kPxCopy);
    BlitRect(&dest, &empty, 0, 0, 0, 0, 4, 4, 1.0f, kPxCopy);
    BlitRect(&dest, nullptr, 0, 0, 0, 0, 4, 4, 1.0f, kPxCopy);
    BlitRect(nullptr, &src, 0, 0, 0, 0, 4, 4, 1.0f, kPxCopy);
    BlitRect(&empty, &src, 0, 0, 0, 0, 4, 4, 1.0f, kPxCopy);
    BlitRotated(&dest, &src, 0, 0, 4, 4, 0, 0, 4, 4, 0.0f, false, 0.0f, kPxCopy, 0, 0);
    BlitRotated(&dest, &src, 0, 0, 4, 4, 0, 0, 4, 4, std::nanf(""), false, 1.0f, kPxCopy, 0, 0);
    EXPECT_EQ(test::InkOf(dest, 0x01020304u).count, 0);
}

TEST(RasterBlit, CopyWithinOneBitmapReadsEachRowBeforeWritingIt)
{
    PX_MemBitmap bitmap(3, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 3; ++x) {
            bitmap.Row(y)[x] = Tag(x, y);
        }
    }
    BlitRect(&bitmap, &bitmap, 0, 2, 0, 0, 3, 4, 1.0f, kPxCopy); // down by two
    BlitRect(&bitmap, &bitmap, 1, 0, 0, 0, 2, 1, 1.0f, kPxCopy); // right by one
    for (int y = 2; y < 6; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(At(bitmap, x, y), Tag(x, y - 2)) << x << "," << y;
        }
    }
    EXPECT_EQ(At(bitmap, 1, 0), Tag(0, 0));
    EXPECT_EQ(At(bitmap, 2, 0), Tag(1, 0));
}

namespace {

// A 7 x 7 picture with distinct, partly transparent pixels.
void Picture(PX_MemBitmap& src)
{
    for (int y = 0; y < src.Height(); ++y) {
        for (int x = 0; x < src.Width(); ++x) {
            src.Row(y)[x] = PX_MakePixel(static_cast<uint32_t>(40 + 30 * x), 10 + 30 * y,
                                         static_cast<uint32_t>(200 - 20 * x), 7 * (x + y));
        }
    }
}

} // namespace

TEST(RasterBlit, RotatedCopyAtZeroReproducesAndQuarterTurnPutsTopEdgeOnRight)
{
    constexpr int n = 7;
    const float quarter = static_cast<float>(kPi / 2);
    PX_MemBitmap src(n, n), dest(n + 4, n + 4);
    Picture(src);
    for (int mode : {kPxCopy, kPxCopy | kPxBilinear}) {
        SCOPED_TRACE(mode);
        Fill(dest, 0);
        BlitRotated(&dest, &src, 2, 2, n, n, 0, 0, n, n, 0.0f, false, 1.0f, mode, 0, 0);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                ASSERT_EQ(At(dest, x + 2, y + 2), At(src, x, y)) << x << "," << y;
            }
        }
        EXPECT_EQ(test::InkOf(dest, 0).count, n * n); // nothing outside the box
        Fill(dest, 0);
        BlitRotated(&dest, &src, 2, 2, n, n, 0, 0, n, n, quarter, false, 1.0f, mode, 0, 0);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                // Clockwise: the source's top row becomes the right column.
                ASSERT_EQ(At(dest, x + 2, y + 2), At(src, y, n - 1 - x)) << x << "," << y;
            }
        }
        Fill(dest, 0);
        BlitRotated(&dest, &src, 2, 2, -n, n, 0, 0, n, n, 0.0f, false, 1.0f, mode, 0, 0);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                ASSERT_EQ(At(dest, x + 2, y + 2), At(src, n - 1 - x, y)) << x << "," << y;
            }
        }
    }
}

TEST(RasterBlit, RotatedCopyMovesByCentreOffsetAndBlendsBySourceAlpha)
{
    constexpr int n = 7;
    PX_MemBitmap src(n, n), dest(n, n);
    Picture(src);
    // Offset (1, 0): the destination centre shows the source one pixel right
    // of its centre; columns beyond the source bitmap stay untouched.
    Fill(dest, 0x01010101u);
    BlitRotated(&dest, &src, 0, 0, n, n, 0, 0, n, n, 0.0f, false, 1.0f, kPxCopy, 1.0f, 0.0f);
    EXPECT_EQ(At(dest, 3, 3), At(src, 4, 3));
    EXPECT_EQ(At(dest, 6, 3), 0x01010101u);
    // Source alpha at half opacity: the same rule as the rectangle copy.
    PX_MemBitmap expected(n, n);
    Fill(dest, 0xFF204060u);
    Fill(expected, 0xFF204060u);
    BlitRotated(&dest, &src, 0, 0, n, n, 0, 0, n, n, 0.0f, false, 0.5f,
                kPxSourceAlpha | kPxBilinear, 0, 0);
    BlitRect(&expected, &src, 0, 0, 0, 0, n, n, 0.5f, kPxSourceAlpha);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            ASSERT_EQ(At(dest, x, y), At(expected, x, y)) << x << "," << y;
        }
    }
}

TEST(RasterBlit, RotatedKnobTurnsSmoothlyAboutItsCentre)
{
    // A dot at the top of a transparent 57 x 57 knob, turned a quarter and a
    // half: it lands on the right and at the bottom, softened but whole.
    constexpr int n = 57;
    PX_MemBitmap knob(n, n), dest(n, n);
    Fill(knob, 0x00FFFFFFu); // transparent white around the dot
    for (int y = 4; y < 10; ++y) {
        for (int x = 25; x < 32; ++x) {
            knob.Row(y)[x] = 0xFFFFFFFFu;
        }
    }
    for (double turn : {kPi / 2, kPi, kPi / 3}) {
        Fill(dest, 0xFF000000u);
        BlitRotated(&dest, &knob, 0, 0, n, n, 0, 0, n, n, static_cast<float>(turn), false, 1.0f,
                    kPxSourceAlpha | kPxBilinear, 0, 0);
        long sumX = 0, sumY = 0, total = 0;
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const long v = PX_Red(At(dest, x, y));
                sumX += v * x;
                sumY += v * y;
                total += v;
            }
        }
        ASSERT_GT(total, 0);
        // The dot's centre (28, 6.5) turned clockwise about (28, 28), in
        // pixel-centre coordinates.
        const double r = 28.5 - 7.0;
        const double cx = 28.5 + r * std::sin(turn) - 0.5;
        const double cy = 28.5 - r * std::cos(turn) - 0.5;
        EXPECT_NEAR(static_cast<double>(sumX) / total, cx, 0.6) << turn;
        EXPECT_NEAR(static_cast<double>(sumY) / total, cy, 0.6) << turn;
        EXPECT_NEAR(static_cast<double>(total), 42.0 * 255, 42.0 * 255 * 0.08) << turn;
    }
}

TEST(RasterBlit, WideRowsAgreeWithSinglePixelsForEveryMode)
{
    // Row loops may work on several pixels at once; a pixel copied alone must
    // come out the same. Pseudo-random pixels cover all alpha classes.
    constexpr int n = 4099;
    PX_MemBitmap src(n, 1), wide(n, 1), single(n, 1);
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state;
    };
    for (int x = 0; x < n; ++x) {
        const uint32_t alphaClass = next() % 4; // clear, opaque, or any
        PX_Pixel p = next();
        p = alphaClass == 0 ? p & 0x00FFFFFFu : alphaClass == 1 ? p | 0xFF000000u : p;
        src.Row(0)[x] = p;
        wide.Row(0)[x] = single.Row(0)[x] = next();
    }
    for (int mode : {kPxCopy, kPxSourceAlpha, kPxSourceAlpha | kPxAdd, kPxSourceAlpha | kPxDodge}) {
        for (float opacity : {1.0f, 0.5f, 0.3f}) {
            BlitRect(&wide, &src, 0, 0, 0, 0, n, 1, opacity, mode);
            for (int x = 0; x < n; ++x) {
                BlitRect(&single, &src, x, 0, x, 0, 1, 1, opacity, mode);
            }
            for (int x = 0; x < n; ++x) {
                ASSERT_EQ(At(wide, x, 0), At(single, x, 0))
                    << "mode " << mode << " opacity " << opacity << " at " << x;
            }
        }
    }
}
