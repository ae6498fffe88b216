#include "ToneRange.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace toneloom {

namespace {

// Each LFO's range, as the plug-in computes it: the swing is half the
// quantity's range times the depth (its fourth power for "Base Freq", whose
// range is wide), around a centre held so the swing stays inside the range.
constexpr double kBaseLowHz = 20.0;
constexpr double kBaseHighHz = 20000.0;
constexpr double kBinauralHighHz = 512.0;
constexpr double kTargetBaseFreq = 1.0; // "LFO1 Target" / "LFO2 Target" list indices
constexpr double kTargetBinaural = 2.0;

double Read(const ParameterCatalogue& parameters, const char* name)
{
    double plain = 0.0;
    parameters.CurrentPlain(name, &plain);
    return plain;
}

// The highest value an LFO of depth `depth` (0..1) moves `value` to in
// [low, high].
double SwungHigh(double value, double low, double high, double depth)
{
    const double swing = (high - low) * depth * 0.5;
    const double centre = std::max(low + swing, std::min(value, high - swing));
    return centre + swing;
}

std::string Hz(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g Hz", value);
    return text;
}

} // namespace

ToneRange MeasureToneRange(const ParameterCatalogue& parameters)
{
    ToneRange range;
    range.baseHz = Read(parameters, "Base Freq");
    range.binauralHz = Read(parameters, "Binaural");
    double left = range.baseHz;
    double beat = range.binauralHz;
    const double target1 = std::round(Read(parameters, "LFO1 Target"));
    double target2 = std::round(Read(parameters, "LFO2 Target"));
    if (target2 == target1) {
        target2 = 0.0; // LFO 2 gives way to LFO 1 on the same target
    }
    const double depths[2] = {Read(parameters, "LFO1 Depth") * 0.01,
                              Read(parameters, "LFO2 Depth") * 0.01};
    const double targets[2] = {target1, target2};
    for (int k = 0; k < 2; ++k) {
        if (targets[k] == kTargetBaseFreq) {
            const double depth = depths[k] * depths[k] * depths[k] * depths[k];
            left = SwungHigh(range.baseHz, kBaseLowHz, kBaseHighHz, depth);
        } else if (targets[k] == kTargetBinaural) {
            beat = SwungHigh(range.binauralHz, 0.0, kBinauralHighHz, depths[k]);
        }
    }
    range.highestHz = left + beat;
    range.swung = range.highestHz > range.baseHz + range.binauralHz;
    return range;
}

std::string FoldBackProblem(const ToneRange& range, int sampleRateHz)
{
    const double nyquist = sampleRateHz * 0.5;
    if (range.highestHz < nyquist) {
        return "";
    }
    return "\"Base Freq\" " + Hz(range.baseHz) + " + \"Binaural\" " + Hz(range.binauralHz) +
           (range.swung ? " with the LFO swing reach " : " reach ") + Hz(range.highestHz) +
           ", at or above half the sample rate (" + Hz(nyquist) +
           "): the tone folds back to a lower frequency; raise --sample-rate or lower the tone";
}

} // namespace toneloom
