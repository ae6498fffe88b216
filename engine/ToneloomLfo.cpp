// The two LFOs: their wave coefficients, rates (tempo divisions or
// milliseconds per cycle), ranges, routing and their reactions to parameters
// 8 to 22. The per-sample part (TickLfo, LfoWaveValues) lives with the
// renderer in ToneloomRenderer.cpp, so that it inlines into the sample loop.
#include "CLS_TONELOOM.h"

#include "ToneloomMath.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

// Parameter offsets within one LFO's block of seven (8..14 and 15..21).
enum LfoParamOffset : int
{
    kOffsetTarget = 0,
    kOffsetWave = 1,
    kOffsetSync = 2,
    kOffsetRateDiv = 3,
    kOffsetRateMs = 4,
    kOffsetDepth = 5,
    kOffsetStart = 6,
};

constexpr int kLfoParamBase[kNumLfos] = {kLfo1Target, kLfo2Target};

// The parameter each LfoTarget swings around; -1 for none.
constexpr int16_t kModulatedParamOf[kNumLfoTargets] = {-1, kBaseFreq, kBinaural, kBinauralPan,
                                                       kVolume};

// DivisionLength(d, kThirtySecondNote) is the length of division d in whole notes.
constexpr double kThirtySecondNote = 0.03125;
constexpr double kTripletFactor = 2.0 / 3.0;
constexpr double kDottedFactor = 1.5;
constexpr int kDivisionKinds = 3; // plain, triplet, dotted
constexpr double kOneThird = 1.0 / 3.0;

// 2pi * 1000: (this / ms) / sampleRate is the increment of a cycle of `ms` milliseconds.
constexpr double kRadMsPerSecond = 6283.185307179586;

// Ranges the LFOs swing within. Frequencies as 2pi * Hz (divided by the
// sample rate they become increments).
constexpr double kBaseFreqLowRadHz = 125.66370614359172;  // 20 Hz
constexpr double kBaseFreqHighRadHz = 125663.70614359173; // 20000 Hz
constexpr double kBinauralHighRadHz = 3216.990877275948;  // 512 Hz
constexpr float kPanLow = -1.0f;
constexpr float kPanHigh = 1.0f;
constexpr float kVolumeLow = 0.0028495172f; // linear gain
constexpr float kVolumeHigh = 0.999f;

// Wave coefficients that are plain numbers.
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kFourOverPi = 1.2732395447351628;
constexpr double kFourOverThreePi = 0.4244131815783876;
constexpr double kTriangleUpperA = 3.0;
constexpr double kSawUpperA = 1.6666666666666667; // 5/3
constexpr double kSawFlipUpperA = 7.0;

constexpr float kPercent = 0.01f;

int DivisionParam(int lfo)
{
    return kLfoParamBase[lfo] + kOffsetRateDiv;
}

int MsParam(int lfo)
{
    return kLfoParamBase[lfo] + kOffsetRateMs;
}

} // namespace

float CLS_TONELOOM::DivisionLength(int division, double unit)
{
    const int d = std::clamp(division, 0, kNumRateDivisions - 1);
    double exponent = d * kOneThird;
    double factor = 1.0;
    switch (d % kDivisionKinds) {
    case 1: // triplet: two thirds of the next plain value up
        exponent = (d + 2) * kOneThird;
        factor = kTripletFactor;
        break;
    case 2: // dotted: one and a half of the plain value below
        exponent = (d - 2) * kOneThird;
        factor = kDottedFactor;
        break;
    default:
        break;
    }
    return static_cast<float>(std::pow(2.0, exponent) * factor * unit);
}

int CLS_TONELOOM::NearestDivision(double incRadPerSample) const
{
    const double barsPerSample = 1.0 / samplesPerBar;
    double longerInc = 0.0; // increment of the previous (shorter) division; 0 before the first
    for (int d = 0; d < kNumRateDivisions; ++d) {
        const float radPerBar = static_cast<float>(kTwoPi) / DivisionLength(d, kThirtySecondNote);
        const double inc = radPerBar * barsPerSample;
        if (inc <= incRadPerSample) {
            return 2.0 * incRadPerSample <= inc + longerInc ? d : d - 1;
        }
        longerInc = inc;
    }
    return kNumRateDivisions;
}

void CLS_TONELOOM::ReactToLfoParameter(int lfo, int offset, int32_t key)
{
    switch (offset) {
    case kOffsetTarget: {
        const int target = std::clamp<int32_t>(key, kTargetNone, kNumLfoTargets - 1);
        lfoTarget[lfo] = static_cast<int16_t>(target);
        UpdateLfoRouting(lfo);
        const int16_t newParam = kModulatedParamOf[target];
        const int16_t oldParam = lfoModulatedParam[lfo];
        if (oldParam >= 0 && oldParam != newParam) {
            ParameterChanged(oldParam);
        }
        lfoModulatedParam[lfo] = newParam;
        break;
    }
    case kOffsetWave:
        SetLfoWave(lfo, key);
        break;
    case kOffsetSync:
        SetLfoSync(lfo, key);
        break;
    case kOffsetRateDiv:
        // One cycle lasts the division's length in whole notes; a whole note
        // is 4 beats at the host tempo, whatever the time signature.
        if (lfoSync[lfo] && samplesPerBar > 0.0) {
            lfoInc[lfo] = (kTwoPi / DivisionLength(key, kThirtySecondNote)) / samplesPerBar;
        }
        break;
    case kOffsetRateMs:
        if (!lfoSync[lfo] && sampleRateCache > 0.0 && key > 0) {
            lfoInc[lfo] = (kRadMsPerSecond / key) / sampleRateCache;
        }
        break;
    case kOffsetDepth:
        lfoDepth[lfo] = static_cast<float>(key) * kPercent;
        if (lfoActive[lfo]) {
            ParameterChanged(lfoModulatedParam[lfo]);
        }
        break;
    case kOffsetStart: {
        const float start = static_cast<float>(key) * kPercent;
        if (start != lfoStart[lfo]) {
            lfoStart[lfo] = start;
            RestartLfoPhase(lfo);
        }
        break;
    }
    default:
        break;
    }
}

void CLS_TONELOOM::SetLfoWave(int lfo, int32_t wave)
{
    lfoWave[lfo] = static_cast<int16_t>(wave);
    const double g = phiFraction;
    double& s = lfoSplit[lfo];
    double& k1 = lfoSlopeLow[lfo];
    double& a = lfoUpperA[lfo];
    double& b = lfoUpperB[lfo];
    switch (wave) {
    case kLfoGoldenSine: // as the tone's "Golden Sine TS"
        s = (1.0 - g) * kTwoPi;
        k1 = kPi / s;
        a = kPi / (kTwoPi - s);
        b = kPi - s * a;
        break;
    case kLfoTriangle:
        s = kPi;
        k1 = kTwoOverPi;
        a = kTriangleUpperA;
        b = kTwoOverPi;
        break;
    case kLfoGoldenTri: // up over 61.8 %, down over 38.2 %
        s = g * kTwoPi;
        k1 = 2.0 / (g * kTwoPi);
        a = (g + 1.0) / (1.0 - g);
        b = kInvPi / (1.0 - g);
        break;
    case kLfoSaw: // up over a quarter, down over three quarters
        s = kHalfPi;
        k1 = kFourOverPi;
        a = kSawUpperA;
        b = kFourOverThreePi;
        break;
    case kLfoSawFlip: // up over three quarters, down over a quarter
        s = kThreeHalfPi;
        k1 = kFourOverThreePi;
        a = kSawFlipUpperA;
        b = kFourOverPi;
        break;
    case kLfoGoldenHalf: // as the tone's "Sine Half"
        s = g * kTwoPi;
        k1 = 0.25 / g;
        a = 0.25 / (1.0 - g);
        b = ((1.0 - 2.0 * g) * kPi / (1.0 - g)) * 0.5;
        break;
    default: // the sine waves need no coefficients
        break;
    }
}

void CLS_TONELOOM::SetLfoSync(int lfo, int32_t key)
{
    const int divisionParam = DivisionParam(lfo);
    const int msParam = MsParam(lfo);
    // A click in the editor re-expresses the LFO's current speed in the other
    // unit; automation of the switch only switches.
    const bool keepSpeed = started && syncClickPending;
    int governingParam = -1;
    if (key == 1 && !lfoSync[lfo]) {
        lfoSync[lfo] = true;
        if (IEditorLink* editor = Editor()) {
            editor->SetParamControlsHidden(divisionParam, false);
            editor->SetParamControlsHidden(msParam, true);
        }
        if (keepSpeed) {
            SetParameterFromEngine(divisionParam, NearestDivision(lfoInc[lfo]));
        }
        governingParam = divisionParam;
    } else if (key == 0 && lfoSync[lfo]) {
        lfoSync[lfo] = false;
        if (IEditorLink* editor = Editor()) {
            editor->SetParamControlsHidden(divisionParam, true);
            editor->SetParamControlsHidden(msParam, false);
        }
        if (keepSpeed) {
            SetParameterFromEngine(msParam, (kRadMsPerSecond / lfoInc[lfo]) / sampleRateCache);
        }
        governingParam = msParam;
    }
    // The rate parameter now in charge sets the speed, even when its value did
    // not change (its handler would otherwise skip it).
    if (governingParam >= 0) {
        lastParamKeys[governingParam] = -1;
        ParameterChanged(governingParam);
    }
}

void CLS_TONELOOM::RestartLfoPhase(int lfo)
{
    // Offsets so that a start of 0 % begins Sine and Triangle at 0 rising,
    // Golden Tri at its minimum, Saw and Saw Flip at their maximum.
    double offset = kHalfPi;
    if (lfoWave[lfo] == kLfoSine || lfoWave[lfo] == kLfoGoldenTri) {
        offset = 0.0;
    } else if (lfoWave[lfo] == kLfoSawFlip) {
        offset = kThreeHalfPi;
    }
    lfoPhase[lfo] = (lfoStart[lfo] * 2.0) * kPi + offset;
    WrapPhase(lfoPhase[lfo]);
}

void CLS_TONELOOM::UpdateLfoRouting(int lfo)
{
    LfoMarkerState& second = lfoMarkers[1];
    second.conflict.store(false, std::memory_order_relaxed);
    lfoActive[lfo] = lfoTarget[lfo] >= kTargetBaseFreq;
    lfoMarkers[lfo].active.store(lfoActive[lfo], std::memory_order_relaxed);
    if (lfoTarget[1] < kTargetBaseFreq) {
        return;
    }
    if (lfoTarget[1] == lfoTarget[0]) {
        // Two LFOs never drive the same quantity: LFO 1 wins.
        lfoActive[1] = false;
        second.conflict.store(true, std::memory_order_relaxed);
        second.active.store(false, std::memory_order_relaxed);
    } else if (!lfoActive[1]) {
        lfoActive[1] = true;
        second.active.store(true, std::memory_order_relaxed);
        // Its range was not kept up to date while it was idle.
        UpdateLfoRange(1);
    }
}

void CLS_TONELOOM::UpdateLfoRange(int lfo)
{
    const double sr = sampleRateCache;
    float low = 0.0f;
    float high = 0.0f;
    float centre = 0.0f;
    float shapedDepth = lfoDepth[lfo];
    switch (lfoTarget[lfo]) {
    case kTargetBaseFreq:
        if (!(sr > 0.0)) {
            return;
        }
        low = static_cast<float>(kBaseFreqLowRadHz / sr);
        high = static_cast<float>(kBaseFreqHighRadHz / sr);
        centre = static_cast<float>(incLeftTarget);
        // The frequency range is wide: the fourth power spreads the depth knob
        // over musically useful swings.
        shapedDepth = shapedDepth * shapedDepth * shapedDepth * shapedDepth;
        break;
    case kTargetBinaural:
        if (!(sr > 0.0)) {
            return;
        }
        low = 0.0f;
        high = static_cast<float>(kBinauralHighRadHz / sr);
        centre = static_cast<float>(beatInc);
        break;
    case kTargetBinauralPan:
        low = kPanLow;
        high = kPanHigh;
        centre = panTarget;
        break;
    case kTargetVolume:
        low = kVolumeLow;
        high = kVolumeHigh;
        centre = volumeTarget;
        break;
    default:
        return;
    }
    const float swing = (high - low) * shapedDepth * 0.5f;
    lfoSwing[lfo] = swing;
    // The centre moves inward so that the output never leaves [low, high].
    lfoCentre[lfo] = std::max(low + swing, std::min(centre, high - swing));
    lfoMarkers[lfo].low.store(low, std::memory_order_relaxed);
    lfoMarkers[lfo].high.store(high, std::memory_order_relaxed);
}

} // namespace toneloom
