// The parameter record (saved state and preset values) and the preset bank.
#include "TestEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace toneloom;
using toneloom::testing::TestEffect;

namespace {

constexpr int kParams = 23;

// 23 parameters with ranges like the product's: most start above 0 so that
// "0 limited into the range" is visible.
void Declare(TestEffect& fx)
{
    for (int i = 0; i < kParams; ++i) {
        fx.ParamAt(i)->DeclareDouble("p", 10 + i, 5, 1000, 0.01, "");
    }
    fx.ParamAt(1)->DeclareEnum("Two", 0, 2, ""); // kind stays double: range 0..1
}

StateChunk& Fill(StateChunk& chunk, int bytes, double firstValue)
{
    for (int i = 0; i * 8 < bytes; ++i) {
        double v = firstValue + i;
        const int take = std::min(8, bytes - i * 8);
        chunk.PutBytes(&v, take);
    }
    return chunk;
}

} // namespace

TEST(ParamRecordFormat, WritesOneDoublePerParameterAndReadsThemBackExactly)
{
    TestEffect fx(kParams);
    Declare(fx);
    fx.ParamAt(0)->SetPlain(123.456789012345);
    fx.ParamAt(22)->SetPlain(999.999999999);
    StateChunk saved;
    ASSERT_TRUE(fx.WriteParams(&saved));
    ASSERT_EQ(saved.Size(), 184);
    double first = 0;
    saved.GetDouble(&first, 0);
    EXPECT_EQ(first, 123.456789012345);

    TestEffect other(kParams);
    Declare(other);
    EXPECT_EQ(other.ReadParams(&saved, 0), 184);
    for (int i = 0; i < kParams; ++i) {
        EXPECT_EQ(other.ParamAt(i)->Value(), fx.ParamAt(i)->Value()) << i;
    }
    EXPECT_EQ(other.changes.size(), size_t{kParams}); // every change handler ran once
}

TEST(ParamRecordFormat, ShortRecordsChangeOnlyCompleteValues)
{
    TestEffect fx(kParams);
    Declare(fx);
    StateChunk hundred;
    Fill(hundred, 100, 100.0); // 12 whole values and 4 bytes of a 13th
    EXPECT_EQ(fx.ReadParams(&hundred, 0), -1);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(fx.ParamAt(i)->Value(), i == 1 ? 1.0 : 100.0 + i) << i;
    }
    // The parameter with incomplete bytes and all after it keep their values.
    for (int i = 12; i < kParams; ++i) {
        EXPECT_EQ(fx.ParamAt(i)->Value(), 10.0 + i) << i;
    }
    EXPECT_EQ(fx.changes.size(), 12u);

    TestEffect empty(kParams);
    Declare(empty);
    StateChunk nothing;
    EXPECT_EQ(empty.ReadParams(&nothing, 0), -1);
    EXPECT_EQ(empty.ParamAt(0)->Value(), 10.0);
    EXPECT_TRUE(empty.changes.empty());
}

TEST(ParamRecordFormat, LongRecordsAreAcceptedAndOutOfRangeValuesLimited)
{
    TestEffect fx(kParams);
    Declare(fx);
    StateChunk longer;
    Fill(longer, 192, 1.0); // value 0 is 1.0, below the minimum 5
    EXPECT_EQ(fx.ReadParams(&longer, 0), 184);
    EXPECT_EQ(fx.ParamAt(0)->Value(), 5.0);
    EXPECT_EQ(fx.ParamAt(1)->Value(), 1.0); // stored 2 on a two-valued list loads as 1

    StateChunk odd;
    const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e308};
    for (double v : values) {
        odd.PutDouble(v);
    }
    fx.ReadParams(&odd, 0);
    EXPECT_EQ(fx.ParamAt(0)->Value(), 5.0); // NaN loads as the minimum
    EXPECT_EQ(fx.ParamAt(1)->Value(), 1.0);
    EXPECT_EQ(fx.ParamAt(2)->Value(), 5.0);
    EXPECT_EQ(fx.ParamAt(3)->Value(), 1000.0);
}

TEST(PresetBank, RoundTripsNamesFlagsAndValues)
{
    TestEffect fx(kParams, "2-2", 4);
    Declare(fx);
    fx.CreateDefaultPresets("---- default ----", 1);
    std::initializer_list<double> values = {400, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                            12,  13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    ASSERT_TRUE(fx.CreatePreset("Higher", values));
    StateChunk bank;
    ASSERT_TRUE(fx.WritePresetBank(&bank));
    // name item + flag + record for the two filled slots, name item + flag for the others
    const int firstTwo = (4 + 17 + 1 + 184) + (4 + 6 + 1 + 184);
    EXPECT_EQ(bank.Size(), firstTwo + 2 * (4 + 5 + 1));

    TestEffect other(kParams, "2-2", 4);
    Declare(other);
    EXPECT_EQ(other.ReadPresetBank(&bank, 0), bank.Size());
    EXPECT_STREQ(other.PresetName(0), "---- default ----");
    EXPECT_STREQ(other.PresetName(1), "Higher");
    EXPECT_STREQ(other.PresetName(3), "- 4 -");
    EXPECT_TRUE(other.PresetAt(1)->filled);
    EXPECT_FALSE(other.PresetAt(2)->filled);
    EXPECT_EQ(other.PresetAt(1)->record.Size(), 184);
    // The bank ends by loading the current preset (slot 0: the defaults).
    EXPECT_EQ(other.ParamAt(0)->Value(), 10.0);
}

TEST(PresetBank, AnEmptyStoredNameRepeatsThePreviousSlotsName)
{
    StateChunk bank;
    for (const char* name : {"Zero", "First", ""}) {
        bank.PutString(name);
        bank.PutByte(0);
    }
    TestEffect fx(kParams, "2-2", 3);
    Declare(fx);
    fx.ReadPresetBank(&bank, 0);
    EXPECT_STREQ(fx.PresetName(1), "First");
    EXPECT_STREQ(fx.PresetName(2), "First");
    // The bank ends by selecting the current slot; unfilled, it becomes a user preset.
    EXPECT_STREQ(fx.PresetName(0), "user preset 1");
}

TEST(PresetBank, TruncatedBanksStopWithoutCrashing)
{
    TestEffect source(kParams, "2-2", 3);
    Declare(source);
    source.CreatePreset("One", {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                                19, 20, 21, 22});
    StateChunk bank;
    source.WritePresetBank(&bank);
    for (int cut = 0; cut < bank.Size(); cut += 7) {
        StateChunk part;
        part.PutBytes(bank.Data(), cut);
        TestEffect fx(kParams, "2-2", 3);
        Declare(fx);
        EXPECT_LT(fx.ReadPresetBank(&part, 0), cut == 0 ? 1 : cut + 1);
    }
}
