#include "BandName.h"

namespace toneloom {

namespace {

// Lower edges of the bands, in Hz of beat frequency.
constexpr float kDeltaFromHz = 0.5f;
constexpr float kThetaFromHz = 4.0f;
constexpr float kAlphaFromHz = 8.0f;
constexpr float kBetaFromHz = 14.0f;
constexpr float kGammaFromHz = 30.0f;
constexpr float kLambdaFromHz = 100.0f;

} // namespace

const char* BandNameFor(float beatHz, bool monaural)
{
    if (beatHz == 0.0f) {
        return monaural ? "Monaural Off" : "Binaural Off";
    }
    if (beatHz >= kLambdaFromHz) {
        return "LAMBDA";
    }
    if (beatHz >= kGammaFromHz) {
        return "GAMMA";
    }
    if (beatHz >= kBetaFromHz) {
        return "BETA";
    }
    if (beatHz >= kAlphaFromHz) {
        return "ALPHA";
    }
    if (beatHz >= kThetaFromHz) {
        return "THETA";
    }
    if (beatHz >= kDeltaFromHz || beatHz < 0.0f) {
        return "DELTA";
    }
    return "EPSILON";
}

} // namespace toneloom
