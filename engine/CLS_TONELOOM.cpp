#include "CLS_TONELOOM.h"

#include "BandName.h"
#include "ToneloomEditorLayout.h"
#include "ToneloomMath.h"
#include "Vst3Ids.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace toneloom {

namespace {

// Identity of the plug-in as hosts see it (its four-character IDs are in
// Vst3Ids.h, with the class ID the factory offers).
constexpr const char* kIoLayouts = "1-1 2-2"; // mono and stereo, input and output alike
constexpr const char* kEffectName = "Toneloom";
constexpr const char* kProductName = "";
constexpr const char* kVendorName = "Orvanta";
constexpr int32_t kVersionCode = 0x10A00; // 1.10.0
constexpr int32_t kLatencySamples = 0;
constexpr bool kReceivesMidi = false;
constexpr bool kStereoOutputBuses = false;

constexpr int kStereoInputs = 2;
// Every byte of a fresh key is 0x9B: 0x9B9B9B9B is no parameter's key, so the
// first change of every index reacts.
constexpr unsigned char kFreshKeyByte = 0x9B;
// A key no parameter produces, for forcing a reaction.
constexpr int32_t kForcedKey = -1;

// Keys: "Base Freq" in 0.1 Hz, "Binaural" in 0.01 Hz, others in whole units.
constexpr double kBaseFreqKeysPerHz = 10.0;
constexpr double kBinauralKeysPerHz = 100.0;
constexpr double kHzPerBaseFreqKey = 0.1;
constexpr double kHzPerBinauralKey = 0.01;
constexpr double kPercent = 0.01;

// "Fade" in ms gives a glide time constant of a quarter of that time:
// samples = ms * sampleRate * 0.00025.
constexpr double kGlideSamplesPerMsHz = 0.00025;

// "Volume" v in percent: gain = 2^((v * 64 / 100 - 64) / 6) * 0.999, 64 dB of
// range below a top gain of 0.999 (so 0 % is about -64 dB, not silence).
constexpr double kVolumeRangeDb = 64.0;
constexpr double kDbPerDoubling = 6.0;
constexpr double kVolumeTopGain = 0.999;

// The parameters whose derived values depend on the sample rate, in the order
// OnReset recomputes them.
constexpr int kSampleRateDependent[] = {kBaseFreq, kBinaural, kFade, kLfo1RateMs, kLfo2RateMs};

} // namespace

CLS_TONELOOM::CLS_TONELOOM(PX_Module module)
    : IEffectVST3(kNumParams, kIoLayouts, kNumPresetSlots, kEffectName, kProductName, kVendorName,
                  kVersionCode, kToneloomUniqueId, kToneloomVendorId, kLatencySamples,
                  kReceivesMidi,
                  /*usesChunks*/ false, kStereoOutputBuses, /*sideChainChannels*/ 0),
      phiFraction(kPhiFraction), clock(&SteadyMillisecondClock::Shared()), paramsUnseen(kNumParams)
{
    std::memset(lastParamKeys, kFreshKeyByte, sizeof lastParamKeys);
    addInput = InputLineCount() == kStereoInputs;
    DeclareParameters();
    BuildToneloomEditor(*this, module);
    CreateFactoryPresets();
}

CLS_TONELOOM::~CLS_TONELOOM() = default;

void CLS_TONELOOM::ParameterChanged(int index)
{
    InstanceLock lock(Mutex());
    const IParamRecord* param = ParamAt(index);
    if (param == nullptr || index >= kNumParams) {
        return;
    }
    double scaled = param->Value();
    if (index == kBaseFreq) {
        scaled *= kBaseFreqKeysPerHz;
    } else if (index == kBinaural) {
        scaled *= kBinauralKeysPerHz;
    }
    const int32_t key = RoundHalfAway(scaled);
    if (key == lastParamKeys[index]) {
        return; // same value as last time: nothing to do
    }
    lastParamKeys[index] = key;
    ReactToParameter(index, key);

    // Keep each active LFO's range in step with its target and depth.
    if (lfoActive[0] &&
        (index == kLfo1Target || index == kLfo1Depth || index == lfoModulatedParam[0])) {
        UpdateLfoRange(0);
    }
    if (lfoActive[1] &&
        (index == kLfo2Target || index == kLfo2Depth || index == lfoModulatedParam[1])) {
        UpdateLfoRange(1);
    }
    syncClickPending = false;
    MarkParameterSeen(index);
}

void CLS_TONELOOM::ReactToParameter(int index, int32_t key)
{
    const double radPerSamplePerHz = kTwoPi * (1.0 / sampleRateCache);
    switch (index) {
    case kBaseFreq:
        baseHz = static_cast<float>(key * kHzPerBaseFreqKey);
        baseInc = baseHz * radPerSamplePerHz;
        incLeftTarget = baseInc;
        // Summed in double: a float sum near 20 kHz rounds a beat of
        // hundredths of a hertz by several per cent.
        incRightTarget = (static_cast<double>(baseHz) + beatHz) * radPerSamplePerHz;
        break;
    case kBinaural:
        beatHz = static_cast<float>(key * kHzPerBinauralKey);
        beatInc = beatHz * radPerSamplePerHz;
        incRightTarget = (static_cast<double>(baseHz) + beatHz) * radPerSamplePerHz;
        ShowBandText(BandNameFor(beatHz, !binauralMix));
        break;
    case kWave:
        SetWaveShape(key);
        break;
    case kBinauralPan:
        panTarget = static_cast<float>(key * kPercent);
        break;
    case kBeats:
        binauralMix = key <= kBeatsBinaural;
        if (beatHz == 0.0f) {
            ShowBandText(BandNameFor(beatHz, !binauralMix));
        }
        break;
    case kPlayAnyway:
        playAnyway = key > 0;
        break;
    case kFade:
        glideSamples = static_cast<uint32_t>(
            std::max(RoundHalfAway(key * sampleRateCache * kGlideSamplesPerMsHz), 0));
        break;
    case kVolume:
        volumeTarget =
            static_cast<float>(std::pow(2.0, (key * kVolumeRangeDb * kPercent - kVolumeRangeDb) *
                                                 (1.0 / kDbPerDoubling)) *
                               kVolumeTopGain);
        break;
    case kLfosSync:
        if (key == 1 && !lfosSyncLatch) {
            lfosSyncLatch = true;
            RestartLfoPhase(0);
            RestartLfoPhase(1);
        } else if (key == 0) {
            lfosSyncLatch = false;
        }
        break;
    default:
        if (index >= kLfo1Target && index <= kLfo1Start) {
            ReactToLfoParameter(0, index - kLfo1Target, key);
        } else if (index >= kLfo2Target && index <= kLfo2Start) {
            ReactToLfoParameter(1, index - kLfo2Target, key);
        }
        break;
    }
}

void CLS_TONELOOM::SetWaveShape(int32_t shape)
{
    waveShape = shape;
    IEditorLink* editor = Editor();
    if (editor != nullptr && wavePictureControl >= 0) {
        // The picture's frames run from shape 0 to shape 6.
        editor->SetControlValueAt(wavePictureControl, shape * (1.0 / (kNumWaveShapes - 1)));
    }
    const double g = phiFraction;
    switch (shape) {
    case kWaveGoldenSineTS:
        // A cosine falling over 38.2 % of the cycle and rising over 61.8 %.
        splitPhase = (1.0 - g) * kTwoPi;
        slopeLow = kPi / splitPhase;
        slopeHigh = kPi / (kTwoPi - splitPhase);
        offsetHigh = kPi - splitPhase * slopeHigh;
        break;
    case kWaveGoldenSineSG:
        warpAmount = 0.397856f; // bits 0x3ECBB3C8
        break;
    case kWaveGoldenSineGS:
        warpAmount = phiFraction; // bits 0x3F1E377A
        break;
    case kWaveSineHalf:
        // A quarter sine up over 61.8 %, the next quarter down over 38.2 %.
        splitPhase = g * kTwoPi;
        slopeLow = 0.25 / g;
        slopeHigh = 0.25 / (1.0 - g);
        offsetHigh = ((1.0 - 2.0 * g) * kPi / (1.0 - g)) * 0.5;
        break;
    case kWaveGoldenTriangle:
        // Up over 61.8 %, down over 38.2 %.
        splitPhase = g * kTwoPi;
        slopeLow = 2.0 / (g * kTwoPi);
        slopeHigh = (g + 1.0) / (1.0 - g);
        offsetHigh = kInvPi / (1.0 - g);
        break;
    default:
        // Sine needs nothing; the square splits where the last golden shape did.
        break;
    }
}

void CLS_TONELOOM::ShowBandText(const char* text)
{
    CopyFixedText(bandText, sizeof bandText, text);
    if (bandLabel != nullptr) {
        bandLabel->TakeEditedText(bandText);
    }
}

void CLS_TONELOOM::MarkParameterSeen(int index)
{
    if (ProcessingEnabled() || index < 0 || index >= kNumParams) {
        return;
    }
    if (!paramSeen[index]) {
        paramSeen[index] = true;
        --paramsUnseen;
    }
    // Render only once every parameter has been through the handler.
    if (paramsUnseen <= 0) {
        SetProcessingEnabled(true);
    }
}

void CLS_TONELOOM::OnReset()
{
    InstanceLock lock(Mutex());
    if (!started) {
        return; // the first block resets again, with the real sample rate
    }
    if (SampleRate() != sampleRateCache) {
        sampleRateCache = SampleRate();
        for (int index : kSampleRateDependent) {
            lastParamKeys[index] = kForcedKey;
            ParameterChanged(index);
        }
    }
    RestartLfoPhase(0);
    RestartLfoPhase(1);
    resyncRequested = true;
}

void CLS_TONELOOM::SetParameterFromEngine(int index, double plainValue)
{
    InstanceLock lock(Mutex());
    IParamRecord* param = ParamAt(index);
    if (param == nullptr) {
        return;
    }
    NotifyEditBegin(index);
    param->SetPlain(param->Limited(plainValue));
    const double normalised = param->CurrentNormalised();
    if (IEditorLink* editor = Editor()) {
        editor->PushUserValueToControls(index, normalised);
    } else {
        SetParamFromEditor(index, normalised);
    }
    NotifyEditEnd(index);
}

void CLS_TONELOOM::SetMillisecondClock(MillisecondClock* newClock)
{
    InstanceLock lock(Mutex());
    clock = newClock != nullptr ? newClock : &SteadyMillisecondClock::Shared();
}

const LfoMarkerState& CLS_TONELOOM::LfoMarker(int lfo) const
{
    return lfoMarkers[lfo == 1 ? 1 : 0];
}

void CLS_TONELOOM::SetBandLabelSink(IBandLabelSink* sink)
{
    InstanceLock lock(Mutex());
    bandLabel = sink;
    if (bandLabel != nullptr) {
        bandLabel->TakeEditedText(bandText);
    }
}

void CLS_TONELOOM::SetWavePictureControl(int controlIndex)
{
    InstanceLock lock(Mutex());
    wavePictureControl = static_cast<int16_t>(controlIndex >= 0 ? controlIndex : -1);
}

} // namespace toneloom
