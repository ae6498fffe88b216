#include "GrowBuffer.h"
#include "PointerArray.h"
#include "StateChunk.h"
#include "TextBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace toneloom;

TEST(GrowBuffer, GrowthFollowsTheGranularityArithmetic)
{
    GrowBuffer list(4096);
    ASSERT_NE(list.Resize(8), nullptr);
    EXPECT_EQ(list.Allocated(), 4000); // ((8 + 4096 + 96) / 4096) * 4096 - 96
    EXPECT_EQ(list.Size(), 8);

    GrowBuffer bigger(4096);
    bigger.Resize(4001);
    EXPECT_EQ(bigger.Allocated(), 8096);

    GrowBuffer text(128);
    text.Resize(10);
    EXPECT_EQ(text.Allocated(), 138);

    // Large requests grow by half the request, rounded down to a page, at most 4 MiB.
    GrowBuffer large(4096);
    large.Resize(100000);
    EXPECT_EQ(large.Allocated(), (100000 + 49152 + 96) / 4096 * 4096 - 96);
    GrowBuffer huge(4096);
    huge.Resize(20 * 1024 * 1024);
    EXPECT_EQ(huge.Allocated(), (20 * 1024 * 1024 + 4194304 + 96) / 4096 * 4096 - 96);
}

TEST(GrowBuffer, KeepsContentsAndOnlyShrinksWhenAllowed)
{
    GrowBuffer b(4096);
    auto* bytes = static_cast<uint8_t*>(b.Resize(8));
    std::memcpy(bytes, "ABCDEFGH", 8);
    b.Resize(5000);
    EXPECT_EQ(std::memcmp(b.Data(), "ABCDEFGH", 8), 0);

    // Same size, no shrinking allowed: nothing changes.
    const int32_t allocated = b.Allocated();
    b.Resize(5000);
    EXPECT_EQ(b.Allocated(), allocated);

    // Shrinking without permission keeps the block.
    b.Resize(8);
    EXPECT_EQ(b.Allocated(), allocated);
    EXPECT_EQ(b.Size(), 8);
    EXPECT_EQ(std::memcmp(b.Data(), "ABCDEFGH", 8), 0);

    // The same size with shrinking allowed is not a shrink: the block stays.
    b.Resize(8, true);
    EXPECT_EQ(b.Allocated(), allocated);
    EXPECT_EQ(std::memcmp(b.Data(), "ABCDEFGH", 8), 0);
}

TEST(GrowBuffer, ShrinkingA4000ByteBlockTo8KeepsItAndTo0FreesIt)
{
    GrowBuffer b(4096);
    b.Resize(3000);
    ASSERT_EQ(b.Allocated(), 4000);
    // Threshold max(1, min(2000, 4000 - 16384)) = 1: 8 is not below it.
    b.Resize(8, true);
    EXPECT_EQ(b.Allocated(), 4000);
    EXPECT_EQ(b.Resize(0, true), nullptr);
    EXPECT_EQ(b.Allocated(), 0);
    EXPECT_EQ(b.Data(), nullptr);
}

TEST(GrowBuffer, NegativeRequestsCountAsZero)
{
    GrowBuffer b(128);
    b.Resize(10);
    EXPECT_EQ(b.Resize(-5), nullptr);
    EXPECT_EQ(b.Size(), 0);
}

TEST(PointerArray, IndexingAppendInsertAndDelete)
{
    PointerArray<int> list;
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(list.Append(new int(i)));
    }
    ASSERT_TRUE(list.Insert(1, new int(10)));
    ASSERT_TRUE(list.Insert(99, new int(20))); // past the end appends
    ASSERT_EQ(list.Length(), 5);
    const int expected[] = {0, 10, 1, 2, 20};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(*list.Get(i), expected[i]);
    }
    EXPECT_EQ(list.Get(5), nullptr);
    list.DeleteAt(0);
    EXPECT_EQ(*list.Get(0), 10);
    EXPECT_EQ(list.Length(), 4);
    list.DeleteAt(17); // out of range: nothing
    EXPECT_EQ(list.Length(), 4);
    list.DeleteAll();
    EXPECT_EQ(list.Length(), 0);
}

TEST(TextBuffer, TakesTextUpToTerminatorOrLimit)
{
    TextBuffer t;
    EXPECT_STREQ(t.Get(), "");
    t.Set("Main Input");
    EXPECT_STREQ(t.Get(), "Main Input");
    t.Set("Main Input", 4);
    EXPECT_STREQ(t.Get(), "Main");
    t.Set("");
    EXPECT_STREQ(t.Get(), "");
    t.Set(nullptr);
    EXPECT_STREQ(t.Get(), "");
}

TEST(StateChunk, ValuesRoundTripAndReadsPastTheEndFail)
{
    StateChunk c;
    ASSERT_TRUE(c.PutDouble(200.5));
    ASSERT_TRUE(c.PutInt32(-7));
    ASSERT_TRUE(c.PutByte(1));
    ASSERT_TRUE(c.PutString("Healing"));
    EXPECT_EQ(c.Size(), 8 + 4 + 1 + 4 + 7);

    double d = 0;
    int32_t i = 0;
    uint8_t b = 0;
    TextBuffer text;
    int p = c.GetDouble(&d, 0);
    p = c.GetInt32(&i, p);
    p = c.GetByte(&b, p);
    p = c.GetString(&text, p);
    EXPECT_EQ(p, c.Size());
    EXPECT_EQ(d, 200.5);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(b, 1);
    EXPECT_STREQ(text.Get(), "Healing");

    EXPECT_EQ(c.GetDouble(&d, c.Size() - 4), -1);
    EXPECT_EQ(c.GetByte(&b, -1), -1);
    EXPECT_EQ(c.GetByte(&b, c.Size()), -1);
}

TEST(StateChunk, StringItemsWithBadLengthsAreSkippedWithoutCopying)
{
    TextBuffer text("kept");
    StateChunk overlong;
    overlong.PutInt32(1000);
    overlong.PutBytes("abc", 3);
    EXPECT_EQ(overlong.GetString(&text, 0), 1004); // moved by its length, nothing copied
    EXPECT_STREQ(text.Get(), "kept");

    StateChunk negative;
    negative.PutInt32(-100);
    EXPECT_EQ(negative.GetString(&text, 0), -1);
    EXPECT_STREQ(text.Get(), "kept");

    StateChunk hugeLength;
    hugeLength.PutInt32(0x7FFFFFFF);
    EXPECT_EQ(hugeLength.GetString(&text, 0), -1); // would overflow the position
}
