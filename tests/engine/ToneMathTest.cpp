// The oscillators' own sine and cosine against the C library's, over the
// angles the renderer feeds them and beyond.
#include "ToneloomMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

using namespace toneloom;

namespace {

// A few units in the last place: far below what a float sample can show (6e-8).
constexpr double kTolerance = 1e-15;

TEST(ToneSine, MatchesTheLibraryOverManyTurns)
{
    double worstSin = 0.0;
    double worstCos = 0.0;
    // 8 turns either way, in steps that land on no special angle, plus the
    // quadrant borders where the reduction switches polynomial.
    for (double x = -8.0 * kTwoPi; x <= 8.0 * kTwoPi; x += 0.000731) {
        worstSin = std::max(worstSin, std::fabs(ToneSin(x) - std::sin(x)));
        worstCos = std::max(worstCos, std::fabs(ToneCos(x) - std::cos(x)));
        // Both channels at once, on different angles.
        const double y = 0.37 - 0.5 * x;
        const StereoValue sines = ToneSin2(x, y);
        const StereoValue cosines = ToneCos2(y, x);
        worstSin = std::max(
            {worstSin, std::fabs(sines.left - std::sin(x)), std::fabs(sines.right - std::sin(y))});
        worstCos = std::max({worstCos, std::fabs(cosines.left - std::cos(y)),
                             std::fabs(cosines.right - std::cos(x))});
    }
    for (int k = -32; k <= 32; ++k) {
        for (double d : {-1e-9, 0.0, 1e-9}) {
            const double x = k * kHalfPi + d;
            worstSin = std::max(worstSin, std::fabs(ToneSin(x) - std::sin(x)));
            worstCos = std::max(worstCos, std::fabs(ToneCos(x) - std::cos(x)));
        }
    }
    EXPECT_LT(worstSin, kTolerance);
    EXPECT_LT(worstCos, kTolerance);
}

TEST(ToneSine, ExactWhereTheWaveCrossesAndPeaks)
{
    EXPECT_EQ(ToneSin(0.0), 0.0);
    EXPECT_EQ(ToneCos(0.0), 1.0);
    EXPECT_NEAR(ToneSin(kHalfPi), 1.0, 1e-16);
    EXPECT_NEAR(ToneSin(kThreeHalfPi), -1.0, 1e-16);
    EXPECT_NEAR(ToneCos(kPi), -1.0, 1e-16);
    // Never beyond full scale.
    double largest = 0.0;
    for (double x = 0.0; x < kTwoPi; x += 1e-4) {
        const StereoValue pair = ToneSinOrCos2(x, kSineShift, x, kCosineShift);
        largest =
            std::max({largest, std::fabs(ToneSin(x)), std::fabs(pair.left), std::fabs(pair.right)});
    }
    for (double x : {kHalfPi, kThreeHalfPi, kPi, kTwoPi}) {
        const StereoValue pair = ToneSinOrCos2(x, kSineShift, x, kCosineShift);
        largest = std::max({largest, std::fabs(ToneSin(x)), std::fabs(ToneCos(x)),
                            std::fabs(pair.left), std::fabs(pair.right)});
    }
    EXPECT_LE(largest, 1.0);
}

TEST(ToneSine, StaysCloseUnderAnotherRoundingMode)
{
    // A host may run its audio thread with a rounding mode of its own.
    const int saved = std::fegetround();
    double worst = 0.0;
    for (int mode : {FE_TOWARDZERO, FE_UPWARD, FE_DOWNWARD}) {
        std::fesetround(mode);
        for (double x = -2.0 * kTwoPi; x <= 2.0 * kTwoPi; x += 0.0137) {
            const StereoValue pair = ToneSinOrCos2(x, kSineShift, x, kCosineShift);
            std::fesetround(saved);
            worst = std::max(
                {worst, std::fabs(pair.left - std::sin(x)), std::fabs(pair.right - std::cos(x))});
            std::fesetround(mode);
        }
    }
    std::fesetround(saved);
    EXPECT_LT(worst, 1e-10);
}

TEST(ToneSine, HugeAndNonFiniteAnglesFallBackToTheLibrary)
{
    EXPECT_EQ(ToneSin(1e9), std::sin(1e9));
    EXPECT_EQ(ToneCos(-1e12), std::cos(-1e12));
    EXPECT_TRUE(std::isnan(ToneSin(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(ToneCos(std::numeric_limits<double>::infinity())));
    const StereoValue mixed = ToneSin2(0.5, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(mixed.left, ToneSin(0.5));
    EXPECT_TRUE(std::isnan(mixed.right));
}

} // namespace
