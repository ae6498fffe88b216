// Fills, lines, arcs and sectors.
#include "PX_Draw.h"
#include "PX_MemBitmap.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

using namespace toneloom;
using toneloom::test::At;
using toneloom::test::Fill;
using toneloom::test::InkOf;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr PX_Pixel kGrey = 0x40404040u;

struct FillRule
{
    const char* name;
    int mode;
    float opacity;
    PX_Pixel colour;
    PX_Pixel expected; // over kGrey
};

const FillRule kFillRules[] = {
    {"OpaqueStoresColour", kPxCopy, 1.0f, 0x80C0C0C0u, 0x80C0C0C0u},
    {"ThreeQuartersShiftForm", kPxCopy, 0.75f, 0xC0C0C0C0u, 0xA0A0A0A0u},
    {"HalfShiftForm", kPxCopy, 0.5f, 0xC0C0C0C0u, 0x80808080u},
    {"QuarterShiftForm", kPxCopy, 0.25f, 0xC0C0C0C0u, 0x60606060u},
    {"OtherOpacityMovesAlphaTowardsK", kPxCopy, 0.1f, 0xC0C0C0C0u, 0x3C4D4D4Du},
    {"SourceAlphaScalesOpacity", kPxSourceAlpha, 1.0f, 0x80C0C0C0u, 0x60808080u},
    {"SourceAlphaOpaqueStores", kPxSourceAlpha, 1.0f, 0xFF102030u, 0xFF102030u},
    {"SourceAlphaClearDrawsNothing", kPxSourceAlpha, 1.0f, 0x00FFFFFFu, kGrey},
    {"AddSaturates", kPxAdd, 1.0f, 0x10C0C0C0u, 0xFFFFFFFFu},
};

class FillAreaRule : public testing::TestWithParam<FillRule>
{
};

} // namespace

TEST_P(FillAreaRule, CombinesExactly)
{
    const FillRule& rule = GetParam();
    PX_MemBitmap bitmap(6, 4);
    Fill(bitmap, kGrey);
    FillArea(&bitmap, 1, 1, 4, 2, rule.colour, rule.opacity, rule.mode);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 3;
            ASSERT_EQ(At(bitmap, x, y), inside ? rule.expected : kGrey)
                << std::hex << At(bitmap, x, y) << std::dec << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RasterFill, FillAreaRule, testing::ValuesIn(kFillRules),
                         [](const testing::TestParamInfo<FillRule>& p) {
                             return std::string(p.param.name);
                         });

TEST(RasterFill, ClipsToEveryEdgeAndIgnoresEmptyAreas)
{
    PX_MemBitmap bitmap(5, 5);
    Fill(bitmap, 0);
    FillArea(&bitmap, -3, -2, 5, 4, 0xFFFFFFFFu, 1.0f, kPxCopy); // covers (0..1, 0..1)
    FillArea(&bitmap, 4, 4, 100, 100, 0xFFFFFFFFu, 1.0f, kPxCopy);
    FillArea(&bitmap, 2, 2, 0, 3, 0xFFFFFFFFu, 1.0f, kPxCopy);
    FillArea(&bitmap, 2, 2, 3, -1, 0xFFFFFFFFu, 1.0f, kPxCopy);
    FillArea(&bitmap, 2, 2, 3, 3, 0xFFFFFFFFu, 0.0f, kPxCopy);
    FillArea(&bitmap, 2147483000, 0, 2000, 1, 0xFFFFFFFFu, 1.0f, kPxCopy);
    FillArea(nullptr, 0, 0, 3, 3, 0xFFFFFFFFu, 1.0f, kPxCopy);
    const test::Ink ink = InkOf(bitmap, 0);
    EXPECT_EQ(ink.count, 5);
    EXPECT_EQ(At(bitmap, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(At(bitmap, 4, 4), 0xFFFFFFFFu);
}

TEST(RasterLine, StraightLinesAreExactAndClipped)
{
    PX_MemBitmap bitmap(10, 8);
    Fill(bitmap, 0);
    DrawLineInt(&bitmap, -5, 2, 20, 2, 0xFF112233u, 1.0f, kPxCopy, false); // whole row 2
    DrawLineInt(&bitmap, 7, 9, 7, -4, 0xFF445566u, 0.5f, kPxCopy, true);   // column 7, half
    DrawLineFloat(&bitmap, 1.9f, 5.2f, 4.7f, 5.9f, 0xFFFFFFFFu, 1.0f, kPxCopy, false); // truncated
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(At(bitmap, x, 2), x == 7 ? 0xFE2A3B4Cu /* half over the row */ : 0xFF112233u)
            << x;
    }
    for (int y = 0; y < 8; ++y) {
        if (y != 2) {
            EXPECT_EQ(At(bitmap, 7, y), 0x7F222A33u) << y;
        }
    }
    for (int x = 1; x <= 4; ++x) {
        EXPECT_EQ(At(bitmap, x, 5), 0xFFFFFFFFu) << x;
    }
    EXPECT_EQ(InkOf(bitmap, 0).count, 10 + 7 + 4);
}

TEST(RasterLine, DiagonalLinesReachBothEndsOnePixelPerStep)
{
    PX_MemBitmap bitmap(20, 20);
    for (bool antiAlias : {false, true}) {
        SCOPED_TRACE(antiAlias);
        Fill(bitmap, 0);
        DrawLineInt(&bitmap, 2, 3, 17, 9, 0xFFFFFFFFu, 1.0f, kPxCopy, antiAlias);
        EXPECT_EQ(At(bitmap, 2, 3), 0xFFFFFFFFu);
        EXPECT_EQ(At(bitmap, 17, 9), 0xFFFFFFFFu);
        // Every column along the major axis carries the full colour once.
        for (int x = 2; x <= 17; ++x) {
            int sum = 0;
            for (int y = 0; y < 20; ++y) {
                sum += static_cast<int>(PX_Red(At(bitmap, x, y)));
            }
            EXPECT_NEAR(sum, 255, 2) << x;
        }
        EXPECT_TRUE(InkOf(bitmap, 0).right <= 18 && InkOf(bitmap, 0).left >= 2);
    }
}

TEST(RasterLine, AntialiasedFloatLineSplitsWeightBetweenTwoPixels)
{
    PX_MemBitmap bitmap(12, 6);
    Fill(bitmap, 0xFF000000u);
    // y = 2.25 all along: three quarters on row 2, one quarter on row 3.
    DrawLineFloat(&bitmap, 1.0f, 2.25f, 10.0f, 2.25f, 0xFFFFFFFFu, 1.0f, kPxCopy, true);
    for (int x = 1; x <= 10; ++x) {
        EXPECT_EQ(PX_Red(At(bitmap, x, 2)), 191u) << x; // 255 x 192 / 256
        EXPECT_EQ(PX_Red(At(bitmap, x, 3)), 63u) << x;  // 255 x 64 / 256
    }
    EXPECT_EQ(InkOf(bitmap, 0xFF000000u).count, 20);
    // Zero length, opacity 0 and non-finite ends draw nothing; ends far
    // outside are clipped.
    Fill(bitmap, 0);
    DrawLineFloat(&bitmap, 3.5f, 3.5f, 3.5f, 3.5f, 0xFFFFFFFFu, 1.0f, kPxCopy, true);
    DrawLineFloat(&bitmap, 0, 0, 9, 5, 0xFFFFFFFFu, 0.0f, kPxCopy, true);
    DrawLineFloat(&bitmap, 0, 0, INFINITY, 5, 0xFFFFFFFFu, 1.0f, kPxCopy, true);
    EXPECT_EQ(InkOf(bitmap, 0).count, 0);
    DrawLineFloat(&bitmap, -1e8f, 3.0f, 1e8f, 3.0f, 0xFFFFFFFFu, 1.0f, kPxCopy, true);
    DrawLineInt(&bitmap, -2000000000, -2000000000, 2000000000, 2000000000, 0xFFFFFFFFu, 1.0f,
                kPxCopy, false);
    EXPECT_EQ(InkOf(bitmap, 0).count, 12 + 6 - 1);
}

namespace {

// Which quadrants around (cx, cy) hold ink: bit 0 upper right, 1 lower right,
// 2 lower left, 3 upper left (pixels on the axes are not counted).
int Quadrants(const PX_IBitmap& bitmap, int cx, int cy)
{
    int found = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (At(bitmap, x, y) == 0 || x == cx || y == cy) {
                continue;
            }
            const bool right = x > cx, below = y > cy;
            found |= right ? (below ? 2 : 1) : (below ? 4 : 8);
        }
    }
    return found;
}

struct ArcCase
{
    const char* name;
    double from, to;
    int quadrants;
};

const ArcCase kArcCases[] = {
    {"TwelveToThree", 0, kPi / 2, 1}, {"NineToTwelve", -kPi / 2, 0, 8},
    {"ThreeToSix", kPi / 2, kPi, 2},  {"SixToNine", kPi, 3 * kPi / 2, 4},
    {"SwappedAngles", kPi / 2, 0, 1}, {"ReducedAngles", 2 * kPi, 2.5 * kPi, 1},
    {"FullCircle", 0, 2 * kPi, 15},   {"BeyondFullCircle", -1.0, 7.0, 15},
};

// Whether angle t (clockwise from twelve) lies between the two angles.
bool InSpan(double t, double from, double to)
{
    if (to < from) {
        std::swap(from, to);
    }
    if (to - from >= 2 * kPi) {
        return true;
    }
    double u = std::fmod(t - from, 2 * kPi);
    if (u < 0) {
        u += 2 * kPi;
    }
    return u <= to - from;
}

class ArcQuarter : public testing::TestWithParam<ArcCase>
{
};

} // namespace

TEST_P(ArcQuarter, CoversItsQuadrantsOnly)
{
    const ArcCase& c = GetParam();
    PX_MemBitmap bitmap(31, 31);
    for (bool antiAlias : {false, true}) {
        SCOPED_TRACE(antiAlias);
        Fill(bitmap, 0);
        DrawArc(&bitmap, 15, 15, 10, static_cast<float>(c.from), static_cast<float>(c.to),
                0xFFFFFFFFu, 1.0f, kPxCopy, antiAlias);
        EXPECT_EQ(Quadrants(bitmap, 15, 15), c.quadrants);
        // One pixel wide: the ink lies within a pixel of the radius.
        for (int y = 0; y < 31; ++y) {
            for (int x = 0; x < 31; ++x) {
                if (At(bitmap, x, y) != 0) {
                    EXPECT_NEAR(std::hypot(x - 15, y - 15), 10.0, 1.0) << x << "," << y;
                }
            }
        }
        Fill(bitmap, 0);
        FillSector(&bitmap, 15, 15, 10, static_cast<float>(c.from), static_cast<float>(c.to),
                   0xFFFFFFFFu, 1.0f, kPxCopy, antiAlias);
        EXPECT_EQ(Quadrants(bitmap, 15, 15), c.quadrants);
        // Solid inside the slice, nothing beyond the rim (pixels on the axes
        // are left out: they lie on the slice's straight edges).
        for (int y = 0; y < 31; ++y) {
            for (int x = 0; x < 31; ++x) {
                const double distance = std::hypot(x - 15, y - 15);
                if (distance > 11.0) {
                    ASSERT_EQ(At(bitmap, x, y), 0u) << x << "," << y;
                } else if (distance <= 9.0 && x != 15 && y != 15 &&
                           InSpan(std::atan2(x - 15, 15 - y), c.from, c.to)) {
                    ASSERT_EQ(At(bitmap, x, y), 0xFFFFFFFFu) << x << "," << y;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RasterArc, ArcQuarter, testing::ValuesIn(kArcCases),
                         [](const testing::TestParamInfo<ArcCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(RasterArc, QuarterDiscsMeetTheRoundBoxRectangles)
{
    // A round box's corners: each quarter disc fills its two radii up to the
    // box's edges, where the rectangles begin, and each quarter arc reaches
    // both edges. Angles arrive as floats, rounded either way.
    constexpr int r = 4;
    constexpr int c0 = r, c1 = 20 - r - 1; // corner centres of a 20 x 20 box
    const float quarter = static_cast<float>(kPi / 2);
    const float half = static_cast<float>(kPi);
    struct Corner
    {
        int cx, cy;
        float from, to;
        int edgeX, edgeY; // the box edge each radius runs to
    };
    const Corner corners[] = {
        {c0, c0, -quarter, 0.0f, 0, 0},
        {c1, c0, 0.0f, quarter, 19, 0},
        {c1, c1, quarter, half, 19, 19},
        {c0, c1, half, 3 * quarter, 0, 19},
    };
    PX_MemBitmap bitmap(20, 20);
    for (bool antiAlias : {false, true}) {
        for (const Corner& c : corners) {
            SCOPED_TRACE(testing::Message()
                         << "corner " << c.cx << "," << c.cy << " aa " << antiAlias);
            Fill(bitmap, 0);
            FillSector(&bitmap, static_cast<float>(c.cx), static_cast<float>(c.cy), r, c.from, c.to,
                       0xFF808080u, 1.0f, kPxCopy, antiAlias);
            for (int x = std::min(c.cx, c.edgeX); x <= std::max(c.cx, c.edgeX); ++x) {
                EXPECT_EQ(At(bitmap, x, c.cy), 0xFF808080u) << "row, x " << x;
            }
            for (int y = std::min(c.cy, c.edgeY); y <= std::max(c.cy, c.edgeY); ++y) {
                EXPECT_EQ(At(bitmap, c.cx, y), 0xFF808080u) << "column, y " << y;
            }
            EXPECT_NE(At(bitmap, c.edgeX, c.edgeY), 0xFF808080u); // the corner is rounded
            Fill(bitmap, 0);
            DrawArc(&bitmap, static_cast<float>(c.cx), static_cast<float>(c.cy), r, c.from, c.to,
                    0xFF808080u, 1.0f, kPxCopy, antiAlias);
            EXPECT_EQ(At(bitmap, c.edgeX, c.cy), 0xFF808080u);
            EXPECT_EQ(At(bitmap, c.cx, c.edgeY), 0xFF808080u);
        }
    }
}
