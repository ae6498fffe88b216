// Bitmap storage contracts: row alignment, pixel alignment, empty bitmaps and
// the system bitmap's resizing rules.
#include "PX_MemBitmap.h"
#include "PX_SysBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace toneloom;

TEST(RasterBitmap, MemoryBitmapAlignsRowsAndPixels)
{
    struct Case
    {
        int rowAlignment;
        int width;
        int expectedMask;
        int expectedSpan;
    };
    const Case cases[] = {
        {0, 13, 0, 13},  {1, 13, 0, 13},   {4, 13, 3, 16},
        {12, 13, 3, 16}, // lowest set bit of 12 is 4
        {2, 13, 1, 14},  {64, 13, 15, 16}, {16, 32, 15, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "alignment " << c.rowAlignment);
        PX_MemBitmap bitmap(c.width, 3, c.rowAlignment);
        EXPECT_EQ(bitmap.RowAlignmentMask(), c.expectedMask);
        EXPECT_EQ(bitmap.RowSpan(), c.expectedSpan);
        ASSERT_NE(bitmap.Pixels(), nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.Pixels()) % 64, 0u);
        EXPECT_EQ(bitmap.DeviceContext(), nullptr);
        EXPECT_FALSE(bitmap.BottomUp());
        EXPECT_EQ(bitmap.Query(0), 0);
        // Every row is writable up to its span (ASan checks the bounds).
        bitmap.Row(2)[bitmap.RowSpan() - 1] = 0x12345678u;
    }
    PX_MemBitmap empty(0, 0, 4);
    EXPECT_EQ(empty.Pixels(), nullptr);
    EXPECT_EQ(empty.Width(), 0);
}

TEST(RasterBitmap, SystemBitmapResizesByItsRules)
{
    PX_SysBitmap bitmap(470, 455);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.Width(), 470);
    EXPECT_EQ(bitmap.Height(), 455);
    EXPECT_EQ(bitmap.RowSpan(), 472); // a multiple of 4 pixels
    EXPECT_FALSE(bitmap.BottomUp());
    EXPECT_EQ(bitmap.Query(1), 0);
#ifdef _WIN32
    EXPECT_NE(bitmap.DeviceContext(), nullptr);
#else
    EXPECT_EQ(bitmap.DeviceContext(), nullptr);
#endif
    bitmap.Row(454)[471] = 0xFFFFFFFFu; // the whole span is ours

    EXPECT_FALSE(bitmap.SetSize(470, 455)); // unchanged
    PX_Pixel* const section = bitmap.Pixels();
    EXPECT_TRUE(bitmap.SetSize(100, 50)); // shrinking keeps the section
    EXPECT_EQ(bitmap.Pixels(), section);
    EXPECT_EQ(bitmap.RowSpan(), 472);
    EXPECT_TRUE(bitmap.SetSize(472, 455)); // still fits
    EXPECT_EQ(bitmap.Pixels(), section);

    EXPECT_TRUE(bitmap.SetSize(473, 10)); // wider than the section: a new one
    EXPECT_EQ(bitmap.RowSpan(), 476);
    bitmap.Row(9)[475] = 0;

    EXPECT_FALSE(bitmap.SetSize(0, 10));
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_TRUE(bitmap.SetSize(5, 5));
    EXPECT_NE(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.RowSpan(), 8);
}
