// The 23 parameter declarations: names, kinds, ranges, defaults, steps, unit
// labels, shapes and value texts.
#include "CLS_TONELOOM.h"

#include <cstdio>

namespace toneloom {

namespace {

// Shape 2 gives the lower part of a wide range more of the knob's travel.
constexpr double kWideRangeShape = 2.0;

const char* const kWaveTexts[kNumWaveShapes] = {
    "Sine",      "Golden Sine TS", "Golden Sine SG", "Golden Sine GS",
    "Sine Half", "Gold. Triangle", "Gold. Square"};
const char* const kBeatsTexts[kNumBeatsModes] = {"Binaural", "Monaural"};
const char* const kNoYesTexts[2] = {"No", "Yes"};
// Values 1 to 4 carry the display names of the parameters they modulate.
const char* const kTargetTexts[kNumLfoTargets] = {"No Assign", "Base Freq", "Binaural",
                                                  "Binaural Pan", "Volume"};
const char* const kLfoWaveTexts[kNumLfoWaves] = {"Sine",       "Golden Sine", "Triangle",
                                                 "Golden Tri", "Saw",         "Saw Flip",
                                                 "Sine Half",  "Half Flip",   "Golden Half"};

struct LfoParamIds
{
    int target, wave, sync, rateDiv, rateMs, depth, start;
    const char* targetName;
    const char* waveName;
    const char* syncName;
    const char* rateName; // shared by the division and the millisecond parameter
    const char* depthName;
    const char* startName;
    int defaultWave;
};

constexpr LfoParamIds kLfoParams[kNumLfos] = {
    {kLfo1Target, kLfo1Wave, kLfo1Sync, kLfo1RateDiv, kLfo1RateMs, kLfo1Depth, kLfo1Start,
     "LFO1 Target", "LFO1 Wave", "LFO1 Sync", "LFO1 Rate", "LFO1 Depth", "LFO1 Start", kLfoSine},
    {kLfo2Target, kLfo2Wave, kLfo2Sync, kLfo2RateDiv, kLfo2RateMs, kLfo2Depth, kLfo2Start,
     "LFO2 Target", "LFO2 Wave", "LFO2 Sync", "LFO2 Rate", "LFO2 Depth", "LFO2 Start",
     kLfoGoldenSine},
};

constexpr int kDefaultDivision = 15; // "1/1", one whole note
constexpr int kDefaultRateMs = 2000;
constexpr int kRateMsMin = 60;
constexpr int kRateMsMax = 64000;
constexpr int kDefaultDepthPercent = 90;

void AddTexts(IParamRecord* param, const char* const* texts, int count)
{
    for (int value = 0; value < count; ++value) {
        param->AddValueText(value, texts[value]);
    }
}

// The text of tempo division d, built by the same rule as its length: plain
// values 2^(d/3) thirty-second notes, triplets ("T") two thirds of the next
// plain value up, dotted values ("D") one and a half of the plain value below.
void DivisionText(int d, char* text, size_t capacity)
{
    const char* suffix = "";
    int plainIndex = d / 3; // power of two of the plain value, in 32nds
    if (d % 3 == 1) {
        plainIndex = (d + 2) / 3;
        suffix = "T";
    } else if (d % 3 == 2) {
        plainIndex = (d - 2) / 3;
        suffix = "D";
    }
    constexpr int kThirtySecondsPerWhole = 32;
    const int thirtySeconds = 1 << plainIndex;
    if (thirtySeconds < kThirtySecondsPerWhole) {
        std::snprintf(text, capacity, "1/%d%s", kThirtySecondsPerWhole / thirtySeconds, suffix);
    } else {
        std::snprintf(text, capacity, "%d/1%s", thirtySeconds / kThirtySecondsPerWhole, suffix);
    }
}

} // namespace

void CLS_TONELOOM::DeclareParameters()
{
    ParamAt(kBaseFreq)->DeclareDouble("Base Freq", 200.0, 20.0, 20000.0, 0.1, "Hz");
    ParamAt(kBaseFreq)->ChangeShape(kWideRangeShape);
    ParamAt(kBinaural)->DeclareDouble("Binaural", 4.0, 0.0, 512.0, 0.01, "Hz");
    ParamAt(kWave)->DeclareEnum("Wave", kWaveGoldenSineTS, kNumWaveShapes, "");
    AddTexts(ParamAt(kWave), kWaveTexts, kNumWaveShapes);
    ParamAt(kBinauralPan)->DeclareInt("Binaural Pan", 100, -100, 100, "%");
    ParamAt(kBeats)->DeclareEnum("Beats", kBeatsBinaural, kNumBeatsModes, "");
    AddTexts(ParamAt(kBeats), kBeatsTexts, kNumBeatsModes);
    ParamAt(kPlayAnyway)->DeclareEnum("Play Anyway", 0, 2, "");
    AddTexts(ParamAt(kPlayAnyway), kNoYesTexts, 2);
    ParamAt(kFade)->DeclareInt("Fade", 1000, 1, 90000, "ms");
    ParamAt(kVolume)->DeclareInt("Volume", 90, 0, 100, "%");

    for (const LfoParamIds& ids : kLfoParams) {
        ParamAt(ids.target)->DeclareEnum(ids.targetName, kTargetNone, kNumLfoTargets, "");
        AddTexts(ParamAt(ids.target), kTargetTexts, kNumLfoTargets);
        ParamAt(ids.wave)->DeclareEnum(ids.waveName, ids.defaultWave, kNumLfoWaves, "");
        AddTexts(ParamAt(ids.wave), kLfoWaveTexts, kNumLfoWaves);
        ParamAt(ids.sync)->DeclareEnum(ids.syncName, 1, 2, "");
        AddTexts(ParamAt(ids.sync), kNoYesTexts, 2);
        IParamRecord* division = ParamAt(ids.rateDiv);
        division->DeclareEnum(ids.rateName, kDefaultDivision, kNumRateDivisions, "");
        for (int d = 0; d < kNumRateDivisions; ++d) {
            char text[kParamTextSize];
            DivisionText(d, text, sizeof text);
            division->AddValueText(d, text);
        }
        ParamAt(ids.rateMs)->DeclareInt(ids.rateName, kDefaultRateMs, kRateMsMin, kRateMsMax, "ms");
        ParamAt(ids.rateMs)->ChangeShape(kWideRangeShape);
        ParamAt(ids.depth)->DeclareInt(ids.depthName, kDefaultDepthPercent, 0, 100, "%");
        ParamAt(ids.start)->DeclareInt(ids.startName, 0, 0, 100, "%");
    }

    ParamAt(kLfosSync)->DeclareEnum("LFO's Sync", 0, 2, "");
    AddTexts(ParamAt(kLfosSync), kNoYesTexts, 2);
}

} // namespace toneloom
