// Constants and small helpers shared by the engine's source files.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace toneloom {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kThreeHalfPi = 4.71238898038469;
constexpr double kInvTwoPi = 0.15915494309189535; // cycles per radian
constexpr double kInvPi = 0.3183098861837907;
// 1/phi with phi = (1 + sqrt 5) / 2, as the design's single-precision value:
// the golden shapes split their cycle at 61.8 % / 38.2 %.
constexpr float kPhiFraction = 0.618034f;

// Brings a phase that grew by at most one increment back into [0, 2pi).
// One subtraction covers every increment below 2pi, i.e. every frequency
// below the sample rate; the fmod is the fallback for larger steps (a sample
// rate below the tone's frequency), so a phase can never run away.
inline void WrapPhase(double& phase)
{
    if (phase >= kTwoPi) {
        phase -= kTwoPi;
        if (phase >= kTwoPi) {
            phase = std::fmod(phase, kTwoPi);
        }
    }
}

// Sine and cosine of an angle in radians, for the oscillators and LFOs, one
// at a time or for both channels at once (ToneSin2, ToneCos2).
//
// The angle x is written as m*pi + r with r in [-pi/2, pi/2] (m = q for the
// sine, q - 1/2 for the cosine, q a whole number); then sin x or cos x is
// (-1)^q sin r, and sin r is its Taylor series through r^21, accurate to
// well below one unit in the last place on that range. The result stays
// within a few units in the last place of std::sin and std::cos for the
// angles the renderer uses (a few turns either way). The kernel has no
// branches and no calls, so two channels share one pass through the vector
// unit. Angles of a million radians or more, infinities and NaN go to the C
// library.
//
// The reduction rounds by adding and subtracting a large constant, so this
// must not be compiled with -ffast-math (which would cancel the two). Under
// another rounding mode than the default r merely reaches [-pi, pi], where
// the series is still good to 1e-11.
namespace sine_detail {

// Adding 1.5 * 2^52 to a number below 2^51 in size rounds it to a whole
// number (to nearest) and leaves that number's low bits in the mantissa.
constexpr double kRoundingShift = 6755399441055744.0;
constexpr double kTurnsPerPi = 0.3183098861837907; // 1/pi
// pi in three parts; the first two have 30 significant bits, so their
// products with a half-turn count below 2^21 are exact.
constexpr double kPiHigh = 3.141592651605606;
constexpr double kPiMid = 1.9841871583270443e-09;
constexpr double kPiLow = 1.034036596358821e-18;
constexpr double kLargest = 1.0e6; // radians

// The constants of the sine, by name.
enum SineConstant
{
    kTurnsPerPiAt,
    kRoundingShiftAt,
    kPiHighAt,
    kPiMidAt,
    kPiLowAt,
    kSeriesAt, // the series' coefficients (-1)^k / (2k + 1)!, from r^3 to r^21
    kMinusOneAt = kSeriesAt + 10,
    kOneAt,
    kSineConstantCount
};

constexpr double kSineConstants[kSineConstantCount] = {
    kTurnsPerPi,
    kRoundingShift,
    kPiHigh,
    kPiMid,
    kPiLow,
    -1.0 / 6.0,
    1.0 / 120.0,
    -1.0 / 5040.0,
    1.0 / 362880.0,
    -1.0 / 39916800.0,
    1.0 / 6227020800.0,
    -1.0 / 1307674368000.0,
    1.0 / 355687428096000.0,
    -1.0 / 121645100408832000.0,
    1.0 / 51090942171709440000.0,
    -1.0,
    1.0,
};

// The constants as T: double here, two lanes below.
template <typename T> struct SineConstants
{
    T operator[](int at) const { return kSineConstants[at]; }
};

inline double ClampUnit(double v, const SineConstants<double>&)
{
    return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
}

// The paired kernel runs on SSE2 (every x86-64 processor) with the GCC and
// Clang vector extensions; elsewhere each channel takes the scalar kernel.
#if defined(__GNUC__) && defined(__SSE2__)
#define TONELOOM_PAIRED_SINE 1
typedef double Pair __attribute__((vector_size(16)));
typedef int64_t PairBits __attribute__((vector_size(16)));

// Each constant twice, side by side.
struct alignas(16) SineConstantLanes
{
    double at[kSineConstantCount][2];
};

constexpr SineConstantLanes MakeSineConstantLanes()
{
    SineConstantLanes lanes{};
    for (int i = 0; i < kSineConstantCount; ++i) {
        lanes.at[i][0] = kSineConstants[i];
        lanes.at[i][1] = kSineConstants[i];
    }
    return lanes;
}

inline constexpr SineConstantLanes kSineConstantLanes = MakeSineConstantLanes();

template <> struct SineConstants<Pair>
{
    SineConstants() : lanes(&kSineConstantLanes.at[0][0])
    {
        // Hidden from the optimiser, so that the constants are read whole
        // from the table (straight into the arithmetic) instead of being
        // rebuilt from one double at each use.
        asm("" : "+r"(lanes));
    }
    Pair operator[](int at) const
    {
        return _mm_load_pd(lanes + 2 * at); // aligned: folds into the arithmetic
    }
    const double* lanes;
};

inline Pair ClampUnit(Pair v, const SineConstants<Pair>& k)
{
    return _mm_min_pd(_mm_max_pd(v, k[kMinusOneAt]), k[kOneAt]);
}
#endif

// (-1)^q sin x, for x = m*pi + r; `shift` is 0 for the sine, 0.5 for the
// cosine. T is double or a vector of doubles.
template <typename T, typename Bits> inline T SignedSine(T x, T shift, Bits* parity)
{
    const SineConstants<T> k;
    const T shifted = x * k[kTurnsPerPiAt] + shift + k[kRoundingShiftAt];
    const T q = shifted - k[kRoundingShiftAt];
    const T m = q - shift;
    const T r = ((x - m * k[kPiHighAt]) - m * k[kPiMidAt]) - m * k[kPiLowAt];
    const T r2 = r * r;
    // Estrin's scheme: short chains of dependent operations instead of one
    // long one, so the processor can work on several at a time.
    const T r4 = r2 * r2;
    const T r8 = r4 * r4;
    const T r16 = r8 * r8;
    const T b0 = k[kSeriesAt] + k[kSeriesAt + 1] * r2;
    const T b1 = k[kSeriesAt + 2] + k[kSeriesAt + 3] * r2;
    const T b2 = k[kSeriesAt + 4] + k[kSeriesAt + 5] * r2;
    const T b3 = k[kSeriesAt + 6] + k[kSeriesAt + 7] * r2;
    const T b4 = k[kSeriesAt + 8] + k[kSeriesAt + 9] * r2;
    const T c0 = b0 + b1 * r4;
    const T c1 = b2 + b3 * r4;
    const T p = (c0 + c1 * r8) + b4 * r16;
    std::memcpy(parity, &shifted, sizeof shifted);
    // Rounding can overshoot 1 by a unit in the last place.
    return ClampUnit(r + r * r2 * p, k);
}

inline double SinOrCos(double x, double shift)
{
    if (!(std::fabs(x) < kLargest)) {
        return shift == 0.0 ? std::sin(x) : std::cos(x); // kSineShift or kCosineShift
    }
    uint64_t parity;
    const double v = SignedSine(x, shift, &parity);
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof v);
    bits ^= parity << 63; // odd q: the other sign
    double result;
    std::memcpy(&result, &bits, sizeof bits);
    return result;
}

} // namespace sine_detail

// The shift that picks the sine or the cosine (ToneSinOrCos2).
constexpr double kSineShift = 0.0;
constexpr double kCosineShift = 0.5; // cos x = sin(x + pi/2), pi/2 being half of pi

inline double ToneSin(double x)
{
    return sine_detail::SinOrCos(x, kSineShift);
}

inline double ToneCos(double x)
{
    return sine_detail::SinOrCos(x, kCosineShift);
}

// The two channels' values of one wave.
struct StereoValue
{
    double left;
    double right;
};

#if defined(TONELOOM_PAIRED_SINE)
namespace sine_detail {

inline StereoValue SinOrCos2(double left, double right, double shiftLeft, double shiftRight)
{
    const Pair x = {left, right};
    const __m128d size = _mm_andnot_pd(_mm_set1_pd(-0.0), x);
    const bool inRange = _mm_movemask_pd(_mm_cmplt_pd(size, _mm_set1_pd(kLargest))) == 3;
    if (!inRange) {
        return {SinOrCos(left, shiftLeft), SinOrCos(right, shiftRight)};
    }
    PairBits parity;
    const Pair v = SignedSine(x, Pair{shiftLeft, shiftRight}, &parity);
    PairBits bits;
    std::memcpy(&bits, &v, sizeof v);
    bits ^= parity << 63;
    Pair result;
    std::memcpy(&result, &bits, sizeof bits);
    return {result[0], result[1]};
}

} // namespace sine_detail
#endif

// sin or cos of each of two angles, as each one's shift says.
inline StereoValue ToneSinOrCos2(double left, double leftShift, double right, double rightShift)
{
#if defined(TONELOOM_PAIRED_SINE)
    return sine_detail::SinOrCos2(left, right, leftShift, rightShift);
#else
    return {sine_detail::SinOrCos(left, leftShift), sine_detail::SinOrCos(right, rightShift)};
#endif
}

inline StereoValue ToneSin2(double left, double right)
{
    return ToneSinOrCos2(left, kSineShift, right, kSineShift);
}

inline StereoValue ToneCos2(double left, double right)
{
    return ToneSinOrCos2(left, kCosineShift, right, kCosineShift);
}

// Rounds half away from zero, saturating at the int32 range (NaN gives 0).
inline int32_t RoundHalfAway(double v)
{
    const double r = v >= 0.0 ? v + 0.5 : v - 0.5;
    if (!(r > std::numeric_limits<int32_t>::min())) {
        return std::isnan(r) ? 0 : std::numeric_limits<int32_t>::min();
    }
    if (!(r < std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(r);
}

} // namespace toneloom
