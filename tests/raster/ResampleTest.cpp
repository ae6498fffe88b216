// Filtered resizing, as the editor resamples its artwork for screen scales
// between the drawn sets (2x art shown at 1.25x, 1.5x; 3x art at 2.5x).
#include "PX_MemBitmap.h"
#include "PX_Resample.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace toneloom {
namespace {

int Channel(PX_Pixel p, int shift)
{
    return static_cast<int>((p >> shift) & 0xFF);
}

TEST(RasterResample, ShrinkingAveragesInsteadOfPickingPixels)
{
    // A one-pixel checkerboard of black and white, shrunk from 2x to 1.25x
    // (160 -> 100): a filter gives an even grey; picking the nearest pixel
    // would give black and white patches.
    PX_MemBitmap source(160, 160);
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 160; ++x) {
            source.Row(y)[x] = ((x + y) & 1) != 0 ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    PX_MemBitmap shrunk(100, 100);
    ASSERT_TRUE(ResampleRect(&shrunk, 0, 0, 100, 100, &source, 0, 0, 160, 160));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            const PX_Pixel p = test::At(shrunk, x, y);
            ASSERT_NEAR(Channel(p, 8), 128, 24) << x << "," << y;
            ASSERT_EQ(p >> 24, 255u);
        }
    }
}

TEST(RasterResample, FramesStayApartAndTransparencyAddsNoFringe)
{
    // Two frames side by side, red and blue, each resized on its own: no
    // purple crosses from one to the other. Each is a band on transparent
    // black: the band's half-covered edge rows keep its colour, only less
    // opaque (no dark fringe).
    PX_MemBitmap strip(80, 40);
    test::Fill(strip, 0x00000000u);
    for (int y = 10; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            strip.Row(y)[x] = x < 40 ? 0xFFFF0000u : 0xFF0000FFu;
        }
    }
    PX_MemBitmap scaled(50, 25);
    test::Fill(scaled, 0x12345678u);
    ASSERT_TRUE(ResampleRect(&scaled, 0, 0, 25, 25, &strip, 0, 0, 40, 40));
    ASSERT_TRUE(ResampleRect(&scaled, 25, 0, 25, 25, &strip, 40, 0, 40, 40));
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 50; ++x) {
            const PX_Pixel p = test::At(scaled, x, y);
            if ((p >> 24) < 8) {
                continue; // (almost) transparent: colour plays no part
            }
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            if (x < 25) {
                EXPECT_GE(Channel(p, 16), 240);
                EXPECT_LE(Channel(p, 0), 15);
            } else {
                EXPECT_GE(Channel(p, 0), 240);
                EXPECT_LE(Channel(p, 16), 15);
            }
        }
    }
    // A rectangle reaching outside its bitmap is refused.
    EXPECT_FALSE(ResampleRect(&scaled, 30, 0, 25, 25, &strip, 0, 0, 40, 40));
    EXPECT_FALSE(ResampleRect(&scaled, 0, 0, 25, 25, &strip, 50, 0, 40, 40));
}

} // namespace
} // namespace toneloom
