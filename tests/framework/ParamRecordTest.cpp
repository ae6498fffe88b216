#include "IParamRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace toneloom;

namespace {

std::string Format(const IParamRecord& p, double v, bool normalised = false)
{
    char text[64];
    p.FormatValue(v, normalised, text, sizeof text);
    return text;
}

} // namespace

TEST(ParamRecord, FreshRecordHasTheDocumentedValues)
{
    IParamRecord p;
    EXPECT_EQ(p.Kind(), kKindNone);
    EXPECT_EQ(p.Min(), 0.0);
    EXPECT_EQ(p.Max(), 1.0);
    EXPECT_EQ(p.Step(), 1.0);
    EXPECT_EQ(p.Shape(), 1.0);
    EXPECT_TRUE(p.CanAutomate());
    EXPECT_STREQ(p.Name(), "");
}

TEST(ParamRecord, DeclarationsSetKindRangeAndKeepTheFirstKind)
{
    IParamRecord d;
    d.DeclareDouble("Base Freq", 200, 20, 20000, 0.1, "Hz");
    EXPECT_EQ(d.Kind(), kKindDouble);
    EXPECT_EQ(d.Value(), 200);
    EXPECT_EQ(d.DefaultValue(), 200);
    EXPECT_STREQ(d.Label(), "Hz");

    IParamRecord e;
    e.DeclareEnum("Wave", 1, 7, "");
    EXPECT_EQ(e.Kind(), kKindEnum);
    EXPECT_EQ(e.Min(), 0);
    EXPECT_EQ(e.Max(), 6);

    // A second declaration keeps the kind the record already has.
    e.DeclareInt("Again", 0, 0, 3, "");
    EXPECT_EQ(e.Kind(), kKindEnum);

    // The range is never empty: max becomes at least min + step.
    IParamRecord narrow;
    narrow.DeclareDouble("Narrow", 5, 5, 2, 0.5, "");
    EXPECT_EQ(narrow.Max(), 5.5);

    // Texts longer than 31 characters are cut, not overrun.
    IParamRecord longName;
    longName.DeclareInt("A name far longer than thirty-one characters", 0, 0, 1, "");
    EXPECT_EQ(std::string(longName.Name()).size(), 31u);
}

TEST(ParamRecord, DecimalsFollowTheStep)
{
    struct Case
    {
        double step;
        int decimals;
    };
    for (const Case c : {Case{1.0, 0}, Case{0.1, 1}, Case{0.01, 2}, Case{0.5, 1}, Case{1.0 / 3.0, 6},
                         Case{2.0, 0}}) {
        IParamRecord p;
        p.DeclareDouble("x", 0, 0, 10, c.step, "");
        EXPECT_EQ(p.Decimals(), c.decimals) << "step " << c.step;
    }
}

TEST(ParamRecord, ShapedConversionsRoundTrip)
{
    IParamRecord p;
    p.DeclareDouble("Base Freq", 200, 20, 20000, 0.1, "Hz");
    p.ChangeShape(2.0);
    p.SetFromNormalised(0.5);
    EXPECT_DOUBLE_EQ(p.Value(), 5015.0); // 20 + 19980 * 0.25, no rounding for doubles
    EXPECT_DOUBLE_EQ(p.NormalisedOf(5015.0), 0.5);
    for (double n = 0.0; n <= 1.0; n += 0.0625) {
        EXPECT_NEAR(p.NormalisedOf(p.PlainOf(n)), n, 1e-12);
    }
    // Out-of-range plain values are limited before conversion; NaN counts as the minimum.
    EXPECT_EQ(p.NormalisedOf(5.0), 0.0);
    EXPECT_EQ(p.NormalisedOf(1e9), 1.0);
    EXPECT_EQ(p.NormalisedOf(std::numeric_limits<double>::quiet_NaN()), 0.0);

    // A shape of 0 is ignored.
    p.ChangeShape(0.0);
    EXPECT_EQ(p.Shape(), 2.0);
}

TEST(ParamRecord, WholeNumberKindsRoundHalvesUpAndLimitOnlyTheTop)
{
    IParamRecord pan;
    pan.DeclareInt("Binaural Pan", 100, -100, 100, "%");
    pan.SetFromNormalised(0.5);
    EXPECT_EQ(pan.Value(), 0);
    pan.SetFromNormalised(0.2525); // -49.5 before rounding
    EXPECT_EQ(pan.Value(), -49);

    IParamRecord wave;
    wave.DeclareEnum("Wave", 1, 7, "");
    wave.SetFromNormalised(1.0);
    EXPECT_EQ(wave.Value(), 6);
    wave.SetFromNormalised(0.5);
    EXPECT_EQ(wave.Value(), 3);

    IParamRecord ten;
    ten.DeclareInt("Ten", 0, 0, 10, "");
    ten.SetFromNormalised(1.2);
    EXPECT_EQ(ten.Value(), 10);
}

TEST(ParamRecord, FormatValueShowsTextsOrNumbers)
{
    IParamRecord twoDecimals;
    twoDecimals.DeclareDouble("Binaural", 4, 0, 512, 0.01, "Hz");
    EXPECT_EQ(Format(twoDecimals, 0.0), "0"); // exactly zero, even with decimals
    EXPECT_EQ(Format(twoDecimals, 0.004), "0.00");
    EXPECT_EQ(Format(twoDecimals, 7.83), "7.83");
    EXPECT_EQ(Format(twoDecimals, 1.0, true), "512.00");

    IParamRecord pan;
    pan.DeclareInt("Binaural Pan", 100, -100, 100, "%");
    EXPECT_EQ(Format(pan, -49.5), "-50"); // halves round away from zero
    EXPECT_EQ(Format(pan, 49.5), "50");
    EXPECT_EQ(Format(pan, -3.0), "-3");
    pan.SetNegateDisplay(true);
    EXPECT_EQ(Format(pan, -3.0), "3");

    IParamRecord list;
    list.DeclareEnum("List", 0, 7, "");
    list.AddValueText(3, "three");
    list.AddValueText(-3, "minus three");
    list.AddValueText(5, ""); // an empty text falls through to the number
    EXPECT_EQ(Format(list, 2.5), "three");
    EXPECT_EQ(Format(list, -2.5), "minus three");
    EXPECT_EQ(Format(list, 5.0), "5");
    EXPECT_EQ(Format(list, 4.0), "4");

    // Values far outside the int range still format safely.
    EXPECT_FALSE(Format(pan, 1e300).empty());
    EXPECT_FALSE(Format(pan, std::numeric_limits<double>::quiet_NaN()).empty());
}

TEST(ParamRecord, ValueTextsLookUpBothWays)
{
    IParamRecord yesNo;
    yesNo.DeclareEnum("Play Anyway", 0, 2, "");
    yesNo.AddValueText(0, "No");
    yesNo.AddValueText(1, "Yes");
    yesNo.AddValueText(1, "Also yes"); // the first entry for a value wins
    EXPECT_EQ(yesNo.ValueTextCount(), 3);
    EXPECT_STREQ(yesNo.ValueTextFor(1), "Yes");
    EXPECT_STREQ(yesNo.ValueTextFor(7), "");
    EXPECT_EQ(Format(yesNo, 1.0), "Yes");

    double v = -1;
    EXPECT_TRUE(yesNo.ValueForText("Yes", &v));
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(yesNo.ValueForText("yes", &v)); // case-sensitive

    // Typed text: a value text, else the leading number.
    EXPECT_EQ(yesNo.ValueFromTypedText("Yes"), 1);
    EXPECT_EQ(yesNo.ValueFromTypedText("1"), 1);
    EXPECT_EQ(yesNo.ValueFromTypedText("nonsense"), 0);
    EXPECT_EQ(yesNo.NormalisedOf(yesNo.ValueFromTypedText("Yes")), 1.0);
}

TEST(ParamRecord, WheelStepDependsOnKind)
{
    IParamRecord d;
    d.DeclareDouble("d", 0, 0, 1, 0.1, "");
    EXPECT_EQ(d.WheelStep(), 0.01);
    IParamRecord e;
    e.DeclareEnum("e", 0, 5, "");
    for (int i = 0; i < 5; ++i) {
        e.AddValueText(i, "x");
    }
    EXPECT_DOUBLE_EQ(e.WheelStep(), 0.1);
}
