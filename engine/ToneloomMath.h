// Constants and small helpers shared by the engine's source files.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

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
