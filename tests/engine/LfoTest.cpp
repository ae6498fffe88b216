// The two LFOs on each target, their depth and range clamping, their waves,
// tempo-synced and millisecond rates, the sync switch, the routing conflict
// and "LFO's Sync", measured on the signal (and on the LFO markers, which are
// what the editor shows).
#include "SignalMeasure.h"
#include "TestToneloom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

using namespace toneloom;
using namespace toneloom::testing;

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kTopGain = 0.999;
constexpr int kSlowestRateMs = 64000;

struct LfoSetup
{
    int target;
    int depthPercent;
    int startPercent;
    int rateMs = kSlowestRateMs; // with sync off
    int wave = kLfoSine;
};

// LFO 1 as given, rate in milliseconds, on the plain sine tone.
void UseLfo1(Rig& rig, const LfoSetup& lfo)
{
    rig.UsePlainSine();
    rig.Set(kLfo1Sync, 0);
    rig.Set(kLfo1RateMs, lfo.rateMs);
    rig.Set(kLfo1Wave, lfo.wave);
    rig.Set(kLfo1Depth, lfo.depthPercent);
    rig.Set(kLfo1Start, lfo.startPercent);
    rig.Set(kLfo1Target, lfo.target);
}

// ---------------------------------------------------------------------------
// "Base Freq": the depth acts to the fourth power and the centre moves inward
// so that the swing stays within 20 Hz .. 20 kHz.

struct SwingCase
{
    int depthPercent;
    int startPercent; // 0: centre, 25: top, 75: bottom of a sine
    double hz;
};

void PrintTo(const SwingCase& c, std::ostream* os)
{
    *os << "depth " << c.depthPercent << " %, start " << c.startPercent << " %: " << c.hz << " Hz";
}

class BaseFreqLfo : public ::testing::TestWithParam<SwingCase>
{
};

TEST_P(BaseFreqLfo, SwingsTheBaseWithinItsRangeAroundAClampedCentre)
{
    const SwingCase& c = GetParam();
    const double sr = 96000.0;
    Rig rig(sr);
    UseLfo1(rig, {kTargetBaseFreq, c.depthPercent, c.startPercent});
    const Stereo out = rig.Render(static_cast<int>(0.2 * sr));
    // A short window for fast tones (the LFO moves), three cycles for slow ones.
    const int window = std::max(static_cast<int>(0.01 * sr), static_cast<int>(3.0 * sr / c.hz));
    EXPECT_NEAR(FrequencyHz(out.left, 0, window, sr), c.hz, std::max(1.0, 0.005 * c.hz));
    // The offset oscillator moves along, 4 Hz above.
    const int wide = static_cast<int>(0.15 * sr);
    EXPECT_NEAR(FrequencyHz(out.right, 0, wide, sr) - FrequencyHz(out.left, 0, wide, sr), 4.0, 0.5);

    const LfoMarkerState& marker = rig.fx.LfoMarker(0);
    EXPECT_TRUE(marker.active.load());
    EXPECT_NEAR(marker.low.load(), kTwoPi * 20.0 / sr, 1e-7);
    EXPECT_NEAR(marker.high.load(), kTwoPi * 20000.0 / sr, 1e-5);
    EXPECT_GE(marker.position.load(), marker.low.load());
    EXPECT_LE(marker.position.load(), marker.high.load());
}

INSTANTIATE_TEST_SUITE_P(Toneloom, BaseFreqLfo,
                         ::testing::Values(SwingCase{100, 0, 10010.0}, SwingCase{100, 25, 20000.0},
                                           SwingCase{100, 75, 20.0},
                                           SwingCase{50, 0, 20.0 + 624.375},
                                           SwingCase{50, 25, 20.0 + 2 * 624.375},
                                           SwingCase{50, 75, 20.0}, SwingCase{0, 25, 200.0}),
                         [](const ::testing::TestParamInfo<SwingCase>& p) {
                             return "Depth" + std::to_string(p.param.depthPercent) + "Start" +
                                    std::to_string(p.param.startPercent);
                         });

// "Binaural": the offset swings within 0 .. 512 Hz; the base stays.
class BinauralLfo : public ::testing::TestWithParam<SwingCase>
{
};

TEST_P(BinauralLfo, SwingsTheOffsetWithinItsRange)
{
    const SwingCase& c = GetParam();
    Rig rig;
    UseLfo1(rig, {kTargetBinaural, c.depthPercent, c.startPercent});
    // The first block glides the base up from silence; measure after it.
    const Stereo out = rig.Render(4800);
    EXPECT_NEAR(FrequencyHz(out.right, 512, 1920, 48000.0), 200.0 + c.hz, 0.5);
    EXPECT_NEAR(FrequencyHz(out.left, 512, 1920, 48000.0), 200.0, 0.01);
}

// depth 50 %: swing 128 Hz, centre 4 Hz moved up to 128; depth 100 %: 256 around 256.
INSTANTIATE_TEST_SUITE_P(Toneloom, BinauralLfo,
                         ::testing::Values(SwingCase{50, 0, 128.0}, SwingCase{50, 25, 256.0},
                                           SwingCase{50, 75, 0.0}, SwingCase{100, 25, 512.0},
                                           SwingCase{100, 75, 0.0}),
                         [](const ::testing::TestParamInfo<SwingCase>& p) {
                             return "Depth" + std::to_string(p.param.depthPercent) + "Start" +
                                    std::to_string(p.param.startPercent);
                         });

// "Binaural Pan": the crossfade swings within -1 .. 1.
struct PanSwingCase
{
    int depthPercent;
    int startPercent;
    double pan; // -1 .. 1
};

void PrintTo(const PanSwingCase& c, std::ostream* os)
{
    *os << "depth " << c.depthPercent << " %, start " << c.startPercent << " %: pan " << c.pan;
}

class PanLfo : public ::testing::TestWithParam<PanSwingCase>
{
};

TEST_P(PanLfo, MovesTheOscillatorsBetweenTheEars)
{
    const PanSwingCase& c = GetParam();
    Rig rig;
    UseLfo1(rig, {kTargetBinauralPan, c.depthPercent, c.startPercent});
    rig.Set(kBinaural, 100.0); // right oscillator at 300 Hz
    const Stereo out = rig.Render(4800);
    const double own = (1.0 + c.pan) * 0.5 * kTopGain;
    const double other = (1.0 - c.pan) * 0.5 * kTopGain;
    EXPECT_NEAR(ToneAmplitude(out.left, 2400, 2400, 200.0, 48000.0), own, 0.01);
    EXPECT_NEAR(ToneAmplitude(out.left, 2400, 2400, 300.0, 48000.0), other, 0.01);
    EXPECT_NEAR(ToneAmplitude(out.right, 2400, 2400, 300.0, 48000.0), own, 0.01);
}

// depth 100 %: -1 .. 1 around 0; depth 50 %: the centre (pan 100 % = 1) moves in to 0.5.
INSTANTIATE_TEST_SUITE_P(Toneloom, PanLfo,
                         ::testing::Values(PanSwingCase{100, 0, 0.0}, PanSwingCase{100, 25, 1.0},
                                           PanSwingCase{100, 75, -1.0}, PanSwingCase{50, 25, 1.0},
                                           PanSwingCase{50, 75, 0.0}),
                         [](const ::testing::TestParamInfo<PanSwingCase>& p) {
                             return "Depth" + std::to_string(p.param.depthPercent) + "Start" +
                                    std::to_string(p.param.startPercent);
                         });

// "Volume": the gain swings within 0.00285 .. 0.999.
struct VolumeSwingCase
{
    int volumePercent;
    int depthPercent;
    int startPercent;
    double gain;
};

void PrintTo(const VolumeSwingCase& c, std::ostream* os)
{
    *os << "volume " << c.volumePercent << " %, depth " << c.depthPercent << " %, start "
        << c.startPercent << " %: gain " << c.gain;
}

class VolumeLfo : public ::testing::TestWithParam<VolumeSwingCase>
{
};

TEST_P(VolumeLfo, SwingsTheLevelWithinItsRange)
{
    const VolumeSwingCase& c = GetParam();
    Rig rig;
    UseLfo1(rig, {kTargetVolume, c.depthPercent, c.startPercent});
    rig.Set(kVolume, c.volumePercent);
    // In the 0.02 s measured the LFO itself moves by less than 5e-5.
    constexpr int kBlock = 4096;
    const Stereo out = rig.Render(4 * kBlock, kBlock);
    EXPECT_NEAR(Peak(out.left, kBlock, 960), c.gain, 0.005 * c.gain + 5e-5);
}

// Volume 90 % is a gain of 0.4769; depth 90 % swings 0.4483 either way. At
// depth 100 % the swing of 0.498 pushes the centre of 0.999 down to 0.5009.
INSTANTIATE_TEST_SUITE_P(Toneloom, VolumeLfo,
                         ::testing::Values(VolumeSwingCase{90, 90, 25, 0.9252},
                                           VolumeSwingCase{90, 90, 75, 0.02867},
                                           VolumeSwingCase{100, 100, 25, 0.999},
                                           VolumeSwingCase{100, 100, 75, 0.0028495}),
                         [](const ::testing::TestParamInfo<VolumeSwingCase>& p) {
                             return "Depth" + std::to_string(p.param.depthPercent) + "Start" +
                                    std::to_string(p.param.startPercent);
                         });

// How a host cuts its blocks: one size throughout, or a pattern of sizes
// repeated (hosts split a block at loop points and automation breakpoints).
struct BlockPattern
{
    const char* name;
    std::vector<int> frames;
};

void PrintTo(const BlockPattern& p, std::ostream* os)
{
    *os << p.name;
}

class VolumeLfoBlocks : public ::testing::TestWithParam<BlockPattern>
{
};

TEST_P(VolumeLfoBlocks, SoundTheSameHoweverTheHostCutsThem)
{
    constexpr int kFrames = 48000;
    constexpr int kRateMs = 200;
    auto setUp = [](Rig& rig) {
        UseLfo1(rig, {kTargetVolume, 90, 0, kRateMs});
        rig.Set(kVolume, 90);
    };
    Rig reference;
    setUp(reference);
    const Stereo expected = reference.Render(kFrames, 512);

    Rig rig;
    setUp(rig);
    Stereo out;
    const std::vector<int>& pattern = GetParam().frames;
    for (size_t k = 0; out.Frames() < kFrames; ++k) {
        const int n = std::min(pattern[k % pattern.size()], kFrames - out.Frames());
        const Stereo block = rig.Render(n, n);
        out.left.insert(out.left.end(), block.left.begin(), block.left.end());
        out.right.insert(out.right.end(), block.right.begin(), block.right.end());
    }
    // The first block ramps up from silence over its own length; after it
    // the ramp has reached "Volume" and only the LFO moves the gain.
    constexpr int kFirstBlock = 512;
    for (int i = kFirstBlock; i < kFrames; ++i) {
        ASSERT_NEAR(out.left[i], expected.left[i], 1e-4) << i;
        ASSERT_NEAR(out.right[i], expected.right[i], 1e-4) << i;
    }
    // No step larger than the loudest 200 Hz sine and the LFO's own slope
    // (depth 90 %: 0.448 either way, a cycle of 200 ms) allow.
    const double toneStep = kTopGain * kTwoPi * 200.0 / 48000.0;
    const double lfoStep = 0.448 * kTwoPi / (kRateMs * 48.0);
    EXPECT_LE(LargestStep(out.left, kFirstBlock, kFrames - kFirstBlock),
              1.01 * (toneStep + lfoStep));
    EXPECT_LE(Peak(out.left, kFirstBlock, kFrames - kFirstBlock), 0.4769 + 0.448 + 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Toneloom, VolumeLfoBlocks,
    ::testing::Values(BlockPattern{"Blocks1", {1}}, BlockPattern{"Blocks7", {7}},
                      BlockPattern{"Blocks64", {64}}, BlockPattern{"Blocks512", {512}},
                      BlockPattern{"OneSampleSplitOff512", {1, 511}},
                      BlockPattern{"Mixed", {512, 3, 1, 64, 509, 7}}),
    [](const ::testing::TestParamInfo<BlockPattern>& p) { return std::string(p.param.name); });

TEST(ToneloomLfo, BeatFollowsTheBinauralLfoWhileTheOtherSweepsTheBase)
{
    // LFO 1 sweeps the base over 20.6 .. 1269 Hz in 4 s; LFO 2 swings the
    // offset over 10 +- 5.12 Hz in 3 s. The right ear must sit that offset
    // above the left one wherever the base is.
    constexpr double kSr = 48000.0;
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kBaseFreq, 645.0);
    rig.Set(kBinaural, 10.0);
    rig.Set(kLfo1Sync, 0);
    rig.Set(kLfo1RateMs, 4000);
    rig.Set(kLfo1Depth, 50);
    rig.Set(kLfo1Target, kTargetBaseFreq);
    rig.Set(kLfo2Sync, 0);
    rig.Set(kLfo2Wave, kLfoSine);
    rig.Set(kLfo2RateMs, 3000);
    rig.Set(kLfo2Depth, 2);
    rig.Set(kLfo2Target, kTargetBinaural);
    const Stereo out = rig.Render(static_cast<int>(2.8 * kSr));
    for (const double seconds : {0.25, 0.5, 1.0, 1.5, 2.0, 2.5}) {
        const double at = seconds * kSr;
        const double left = FrequencyAtHz(out.left, at, kSr);
        const double right = FrequencyAtHz(out.right, at, kSr);
        const double expectedBeat = 10.0 + 5.12 * std::sin(kTwoPi * seconds / 3.0);
        EXPECT_GT(left, 150.0) << seconds << " s: the base sweeps";
        EXPECT_NEAR(right - left, expectedBeat, 0.1) << seconds << " s, base " << left << " Hz";
    }
}

TEST(ToneloomLfo, VolumeLfoDoesNotHoldUpTheFadeWhenTheTransportStops)
{
    Rig rig;
    UseLfo1(rig, {kTargetVolume, 90, 25});
    rig.Set(kPlayAnyway, 0);
    rig.Render(4800);
    rig.fx.transport = kTransportStopped;
    const Stereo out = rig.Render(16 * 512);
    EXPECT_LT(Peak(out.left, 511, 1), 0.01);
    EXPECT_EQ(Peak(out.left, 8 * 512, 8 * 512), 0.0);
}

// ---------------------------------------------------------------------------
// Waves: an LFO on the pan with depth 100 % shows its wave in the marker.

struct WaveCase
{
    int wave;
    double risingShare; // part of the cycle during which the wave rises
};

void PrintTo(const WaveCase& c, std::ostream* os)
{
    *os << "LFO wave " << c.wave << ", rising for " << c.risingShare << " of the cycle";
}

class LfoWaveShape : public ::testing::TestWithParam<WaveCase>
{
};

TEST_P(LfoWaveShape, RunsBetweenMinusOneAndOneRisingForItsShareOfTheCycle)
{
    const WaveCase& c = GetParam();
    Rig rig;
    UseLfo1(rig, {kTargetBinauralPan, 100, 0, 100, c.wave}); // 4800 samples per cycle
    std::vector<double> wave;
    for (int i = 0; i < 4800; ++i) {
        rig.Render(1, 1);
        wave.push_back(rig.fx.LfoMarker(0).position.load());
    }
    EXPECT_NEAR(*std::max_element(wave.begin(), wave.end()), 1.0, 1e-3);
    EXPECT_NEAR(*std::min_element(wave.begin(), wave.end()), -1.0, 1e-3);
    int rising = 0;
    for (size_t i = 0; i + 1 < wave.size(); ++i) {
        rising += wave[i + 1] > wave[i] ? 1 : 0;
    }
    EXPECT_NEAR(rising / 4800.0, c.risingShare, 2e-3);
    // With a start of 0 %: sine and triangle begin at 0 rising, the golden
    // triangle at its bottom, both saws at their top.
    switch (c.wave) {
    case kLfoSine:
    case kLfoTriangle:
        EXPECT_NEAR(wave[0], 0.0, 2e-3);
        EXPECT_GT(wave[1], wave[0]);
        break;
    case kLfoGoldenTri:
        EXPECT_NEAR(wave[0], -1.0, 1e-3);
        break;
    case kLfoSaw:
    case kLfoSawFlip:
        EXPECT_NEAR(wave[0], 1.0, 1e-3);
        break;
    default:
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Toneloom, LfoWaveShape,
                         ::testing::Values(WaveCase{kLfoSine, 0.5}, WaveCase{kLfoGoldenSine, 0.618},
                                           WaveCase{kLfoTriangle, 0.5},
                                           WaveCase{kLfoGoldenTri, 0.618}, WaveCase{kLfoSaw, 0.25},
                                           WaveCase{kLfoSawFlip, 0.75}, WaveCase{kLfoSineHalf, 0.5},
                                           WaveCase{kLfoHalfFlip, 0.5},
                                           WaveCase{kLfoGoldenHalf, 0.618}),
                         [](const ::testing::TestParamInfo<WaveCase>& p) {
                             return "Wave" + std::to_string(p.param.wave);
                         });

// ---------------------------------------------------------------------------
// Rates.

constexpr int kCarrierPeriod = 240; // samples of the 200 Hz tone at 48 kHz

// Seconds per cycle of a volume LFO, from the envelope of the tone.
double VolumeCycleSeconds(const Stereo& out, int begin)
{
    const std::vector<double> envelope =
        Envelope(out.left, begin, out.Frames() - begin, kCarrierPeriod);
    return PeriodOf(envelope) * kCarrierPeriod / 48000.0;
}

// LFO 1 on the volume, full depth, synced to the tempo with division `division`.
void UseSyncedVolumeLfo(Rig& rig, int division)
{
    rig.UsePlainSine();
    rig.Set(kLfo1Depth, 100);
    rig.Set(kLfo1RateDiv, division);
    rig.Set(kLfo1Target, kTargetVolume);
}

struct TempoCase
{
    int division;
    double bpm;
    double seconds; // one cycle
};

void PrintTo(const TempoCase& c, std::ostream* os)
{
    *os << "division " << c.division << " at " << c.bpm << " BPM: " << c.seconds << " s";
}

class TempoSyncedRate : public ::testing::TestWithParam<TempoCase>
{
};

TEST_P(TempoSyncedRate, LastsTheDivisionOfAWholeNoteOfFourBeats)
{
    const TempoCase& c = GetParam();
    Rig rig;
    rig.fx.tempoBpm = c.bpm;
    UseSyncedVolumeLfo(rig, c.division);
    const Stereo out = rig.Render(static_cast<int>(48000 * 6 * c.seconds));
    EXPECT_NEAR(VolumeCycleSeconds(out, 4800), c.seconds, 0.01 * c.seconds);
}

INSTANTIATE_TEST_SUITE_P(Toneloom, TempoSyncedRate,
                         ::testing::Values(TempoCase{9, 120.0, 0.5}, TempoCase{12, 120.0, 1.0},
                                           TempoCase{7, 120.0, 1.0 / 3.0},
                                           TempoCase{8, 120.0, 0.375},
                                           TempoCase{9, 90.0, 2.0 / 3.0}, TempoCase{6, 60.0, 0.5}),
                         [](const ::testing::TestParamInfo<TempoCase>& p) {
                             return "Division" + std::to_string(p.param.division) + "At" +
                                    std::to_string(static_cast<int>(p.param.bpm));
                         });

TEST(ToneloomLfo, TempoChangeRetunesTheSyncedRate)
{
    Rig rig;
    UseSyncedVolumeLfo(rig, 9); // "1/4": 0.5 s at 120 BPM
    rig.Render(48000);
    rig.fx.tempoBpm = 60.0;
    const Stereo slower = rig.Render(48000 * 6);
    EXPECT_NEAR(VolumeCycleSeconds(slower, 0), 1.0, 0.01);
}

TEST(ToneloomLfo, MillisecondRateLastsItsMilliseconds)
{
    for (const int ms : {250, 1000}) {
        Rig rig;
        UseLfo1(rig, {kTargetVolume, 100, 0, ms});
        const Stereo out = rig.Render(48 * ms * 6);
        EXPECT_NEAR(VolumeCycleSeconds(out, 4800), ms / 1000.0, 0.01 * ms / 1000.0);
    }
}

TEST(ToneloomLfo, WithoutHostTempoASyncedLfoStandsAndAMillisecondLfoRuns)
{
    Rig still;
    still.fx.tempoBpm = 0.0;
    UseSyncedVolumeLfo(still, 9);
    still.Set(kLfo1Start, 25); // at its top
    const Stereo held = still.Render(48000 * 2);
    const std::vector<double> envelope = Envelope(held.left, 4800, 48000, kCarrierPeriod);
    EXPECT_NEAR(*std::min_element(envelope.begin(), envelope.end()), kTopGain, 1e-3);

    Rig running;
    running.fx.tempoBpm = 0.0;
    UseLfo1(running, {kTargetVolume, 100, 0, 500});
    const Stereo moving = running.Render(48000 * 3);
    EXPECT_NEAR(VolumeCycleSeconds(moving, 4800), 0.5, 0.005);
}

// ---------------------------------------------------------------------------
// The sync switch.

TEST(ToneloomLfo, ClickingSyncOffKeepsTheSpeedInMilliseconds)
{
    Rig rig;
    UseSyncedVolumeLfo(rig, 9); // "1/4" at 120 BPM: one beat, 500 ms
    rig.Render(24000);
    rig.fx.edits.clear();
    std::atomic<bool>* clickPending = rig.fx.SyncClickPendingFlag();
    *clickPending = true; // the editor's switch raises this before it sets the value
    rig.fx.SetParamFromEditor(kLfo1Sync, 0.0);
    EXPECT_FALSE(*clickPending);
    EXPECT_DOUBLE_EQ(rig.Value(kLfo1Sync), 0.0);
    EXPECT_DOUBLE_EQ(rig.Value(kLfo1RateMs), 500.0);
    // The host saw a complete edit of the millisecond rate.
    std::vector<int> msEdits;
    for (const EditEvent& e : rig.fx.edits) {
        if (e.index == kLfo1RateMs) {
            msEdits.push_back(e.kind);
        }
    }
    EXPECT_EQ(msEdits, (std::vector<int>{EditEvent::kBegin, EditEvent::kValue, EditEvent::kEnd}));
    const Stereo out = rig.Render(48000 * 3);
    EXPECT_NEAR(VolumeCycleSeconds(out, 0), 0.5, 0.005);

    // And back: 500 ms at 120 BPM is "1/4" again.
    rig.Set(kLfo1RateDiv, 15);
    *clickPending = true;
    rig.fx.SetParamFromEditor(kLfo1Sync, 1.0);
    EXPECT_DOUBLE_EQ(rig.Value(kLfo1RateDiv), 9.0);
    const Stereo synced = rig.Render(48000 * 3);
    EXPECT_NEAR(VolumeCycleSeconds(synced, 0), 0.5, 0.005);
}

TEST(ToneloomLfo, ClickingSyncOnPicksTheNearestDivision)
{
    for (const auto& [ms, division, seconds] :
         {std::tuple{1000, 12, 1.0}, std::tuple{520, 9, 0.5}, std::tuple{60, 0, 0.0625},
          std::tuple{64000, 30, 64.0}}) {
        Rig rig;
        UseLfo1(rig, {kTargetVolume, 100, 0, ms});
        rig.Render(4800);
        *rig.fx.SyncClickPendingFlag() = true;
        rig.fx.SetParamFromEditor(kLfo1Sync, 1.0);
        EXPECT_DOUBLE_EQ(rig.Value(kLfo1RateDiv), division) << ms << " ms";
        if (seconds < 10.0) {
            // Now at the division's own speed.
            const Stereo out = rig.Render(static_cast<int>(48000 * 6 * seconds));
            EXPECT_NEAR(VolumeCycleSeconds(out, 0), seconds, 0.01 * seconds) << ms << " ms";
        }
    }
}

TEST(ToneloomLfo, AutomatedSyncSwitchLeavesTheRatesAndUsesTheOneInCharge)
{
    Rig rig;
    UseSyncedVolumeLfo(rig, 9);
    rig.Render(24000);
    rig.Set(kLfo1Sync, 0); // automation: no click pending
    EXPECT_DOUBLE_EQ(rig.Value(kLfo1RateMs), 2000.0);
    EXPECT_DOUBLE_EQ(rig.Value(kLfo1RateDiv), 9.0);
    const Stereo out = rig.Render(48000 * 10);
    EXPECT_NEAR(VolumeCycleSeconds(out, 0), 2.0, 0.02);
    rig.Set(kLfo1Sync, 1);
    const Stereo synced = rig.Render(48000 * 3);
    EXPECT_NEAR(VolumeCycleSeconds(synced, 0), 0.5, 0.005);
}

TEST(ToneloomLfo, NearestDivisionChoosesTheCloserNeighbour)
{
    Rig rig;
    rig.Render(512); // 120 BPM: a bar of 96000 samples
    auto incFor = [](double seconds) { return kTwoPi / (seconds * 48000.0); };
    EXPECT_EQ(rig.fx.NearestDivision(incFor(0.5)), 9);     // "1/4"
    EXPECT_EQ(rig.fx.NearestDivision(incFor(0.46)), 9);    // between "1/4T" 0.333 and "1/4" 0.5
    EXPECT_EQ(rig.fx.NearestDivision(incFor(0.40)), 8);    // "1/8D" 0.375 is closer in rate
    EXPECT_EQ(rig.fx.NearestDivision(incFor(0.34)), 7);    // "1/4T"
    EXPECT_EQ(rig.fx.NearestDivision(incFor(2.0)), 15);    // "1/1"
    EXPECT_EQ(rig.fx.NearestDivision(incFor(0.01)), -1);   // faster than "1/32"
    EXPECT_EQ(rig.fx.NearestDivision(incFor(1000.0)), 31); // slower than "32/1"
}

// ---------------------------------------------------------------------------
// Routing.

TEST(ToneloomLfo, SecondLfoOnTheFirstOnesTargetIsIdleUntilTheFirstMovesOn)
{
    auto setUp = [](Rig& rig, bool withSecond) {
        UseLfo1(rig, {kTargetVolume, 90, 25, 1000});
        if (withSecond) {
            rig.Set(kLfo2Sync, 0);
            rig.Set(kLfo2RateMs, 300);
            rig.Set(kLfo2Depth, 90);
            rig.Set(kLfo2Start, 75);
            rig.Set(kLfo2Target, kTargetVolume);
        }
    };
    // No beat: the pan that LFO 1 moves to later leaves the level alone.
    Rig both;
    setUp(both, true);
    both.Set(kVolume, 90);
    both.Set(kBinaural, 0.0);
    Rig first;
    setUp(first, false);
    first.Set(kVolume, 90);
    first.Set(kBinaural, 0.0);
    const LfoMarkerState& second = both.fx.LfoMarker(1);
    EXPECT_TRUE(second.conflict.load());
    EXPECT_FALSE(second.active.load());
    EXPECT_TRUE(both.fx.LfoMarker(0).active.load());
    const Stereo a = both.Render(48000);
    const Stereo b = first.Render(48000);
    for (int i = 0; i < a.Frames(); ++i) {
        ASSERT_EQ(a.left[i], b.left[i]) << i;
    }

    // LFO 1 moves to the pan: LFO 2 takes over the volume with its own range.
    both.Set(kLfo1Target, kTargetBinauralPan);
    EXPECT_FALSE(second.conflict.load());
    EXPECT_TRUE(second.active.load());
    const Stereo handedOver = both.Render(48000 * 2);
    const std::vector<double> envelope = Envelope(handedOver.left, 4800, 48000, kCarrierPeriod);
    EXPECT_NEAR(*std::max_element(envelope.begin(), envelope.end()), 0.9252, 0.01);
    EXPECT_NEAR(*std::min_element(envelope.begin(), envelope.end()), 0.0287, 0.01);
    EXPECT_NEAR(VolumeCycleSeconds(handedOver, 4800), 0.3, 0.003);
}

TEST(ToneloomLfo, FirstLfoWinsWhenItTakesTheSecondOnesTarget)
{
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kLfo2Target, kTargetBinaural);
    EXPECT_TRUE(rig.fx.LfoMarker(1).active.load());
    rig.Set(kLfo1Target, kTargetBinaural);
    EXPECT_TRUE(rig.fx.LfoMarker(1).conflict.load());
    EXPECT_FALSE(rig.fx.LfoMarker(1).active.load());
    rig.Set(kLfo1Target, kTargetNone);
    EXPECT_FALSE(rig.fx.LfoMarker(0).active.load());
    EXPECT_TRUE(rig.fx.LfoMarker(1).active.load());
    EXPECT_FALSE(rig.fx.LfoMarker(1).conflict.load());
}

TEST(ToneloomLfo, ModulatedQuantityReturnsToItsParameterWhenTheLfoLetsGo)
{
    Rig rig;
    UseLfo1(rig, {kTargetBinauralPan, 100, 75}); // pan -1: ears swapped
    rig.Set(kBinaural, 100.0);
    rig.Render(4800);
    rig.Set(kLfo1Target, kTargetNone);
    const Stereo out = rig.Render(4800);
    EXPECT_NEAR(ToneAmplitude(out.left, 2400, 2400, 200.0, 48000.0), kTopGain, 1e-3);
    EXPECT_NEAR(ToneAmplitude(out.left, 2400, 2400, 300.0, 48000.0), 0.0, 1e-3);
}

// ---------------------------------------------------------------------------
// "LFO's Sync".

TEST(ToneloomLfo, LfosSyncRestartsBothLfosOnceWhenSwitchedOn)
{
    Rig rig;
    UseLfo1(rig, {kTargetVolume, 90, 25, 1000}); // starts at its top
    rig.Set(kVolume, 90);
    rig.Set(kLfo2Sync, 0);
    rig.Set(kLfo2RateMs, 700);
    rig.Set(kLfo2Depth, 100);
    rig.Set(kLfo2Start, 25);
    rig.Set(kLfo2Wave, kLfoSine);
    rig.Set(kLfo2Target, kTargetBinauralPan); // starts at pan 1
    rig.Render(14400);                        // 0.3 s: both moved away from their start
    const double top = rig.fx.LfoMarker(0).position.load();
    EXPECT_LT(top, 0.8);
    EXPECT_LT(rig.fx.LfoMarker(1).position.load(), 0.5);

    rig.Set(kLfosSync, 1);
    rig.Render(1);
    EXPECT_NEAR(rig.fx.LfoMarker(0).position.load(), 0.9252, 1e-3);
    EXPECT_NEAR(rig.fx.LfoMarker(1).position.load(), 1.0, 1e-6);
    const Stereo afterRestart = rig.Render(480);
    EXPECT_NEAR(Peak(afterRestart.left, 0, 480), 0.9252, 0.005);

    // Still on: nothing restarts.
    rig.Render(14400);
    rig.Set(kLfosSync, 1);
    rig.Render(1);
    EXPECT_LT(rig.fx.LfoMarker(0).position.load(), 0.8);

    // Off and on again: a new restart.
    rig.Set(kLfosSync, 0);
    rig.Set(kLfosSync, 1);
    rig.Render(1);
    EXPECT_NEAR(rig.fx.LfoMarker(0).position.load(), 0.9252, 1e-3);
}

} // namespace
