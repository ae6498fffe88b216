// The tone: frequencies per ear, the beat, the glide, levels, the transport
// gate, phase continuity and re-alignment, and the seven wave shapes, all
// measured on the rendered signal.
#include "SignalMeasure.h"
#include "TestToneloom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

using namespace toneloom;
using namespace toneloom::testing;

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kTopGain = 0.999; // "Volume" 100 %
// The gain is single precision and ramped in steps of (target - gain) / block
// size, which stop moving it once they fall below half a float step: the gain
// may rest a few millionths from its target.
constexpr double kGainResidue = 2e-5;
constexpr int kSettleFrames = 4800;

std::vector<double> Squared(const std::vector<double>& x)
{
    std::vector<double> y(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        y[i] = x[i] * x[i];
    }
    return y;
}

// Renders until the first block's ramps are over, then makes the next block
// re-align its phases to `positionSamples` (a jump of the host position).
void SettleAndRealign(Rig& rig, int64_t positionSamples)
{
    rig.Render(kSettleFrames);
    rig.fx.positionSamples = positionSamples;
}

// The plain sine's left ear (200 Hz at 48 kHz, 240 samples per cycle) at
// timeline position `positionSamples`, for an oscillator that ran since the
// start of the timeline. Exact for any position: whole cycles drop out first.
double TimelineSine(int64_t positionSamples)
{
    constexpr int64_t kCycle = 240;
    const int64_t within = ((positionSamples % kCycle) + kCycle) % kCycle;
    return kTopGain * std::sin(kTwoPi * static_cast<double>(within) / kCycle);
}

// ---------------------------------------------------------------------------
// Frequencies and mixing.

struct PanCase
{
    int panPercent;
    double leftBase;  // amplitude of the base oscillator (200 Hz) in the left ear
    double leftOther; // amplitude of the offset oscillator (300 Hz) in the left ear
};

void PrintTo(const PanCase& c, std::ostream* os)
{
    *os << "pan " << c.panPercent << " %";
}

class BinauralPan : public ::testing::TestWithParam<PanCase>
{
};

TEST_P(BinauralPan, CrossfadesTheOscillatorsBetweenTheEars)
{
    const PanCase& c = GetParam();
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kBinaural, 100.0); // right oscillator at 300 Hz
    rig.Set(kBinauralPan, c.panPercent);
    const Stereo out = rig.Render(2 * kSettleFrames);
    const double sr = rig.SampleRate();
    // 0.1 s holds whole cycles of both frequencies.
    EXPECT_NEAR(ToneAmplitude(out.left, kSettleFrames, 4800, 200.0, sr), c.leftBase, 1e-3);
    EXPECT_NEAR(ToneAmplitude(out.left, kSettleFrames, 4800, 300.0, sr), c.leftOther, 1e-3);
    // The right ear mirrors the left one.
    EXPECT_NEAR(ToneAmplitude(out.right, kSettleFrames, 4800, 300.0, sr), c.leftBase, 1e-3);
    EXPECT_NEAR(ToneAmplitude(out.right, kSettleFrames, 4800, 200.0, sr), c.leftOther, 1e-3);
    if (c.leftOther == 0.0) {
        EXPECT_NEAR(FrequencyHz(out.left, kSettleFrames, 4800, sr), 200.0, 0.01);
        EXPECT_NEAR(FrequencyHz(out.right, kSettleFrames, 4800, sr), 300.0, 0.01);
    } else if (c.leftBase == 0.0) {
        EXPECT_NEAR(FrequencyHz(out.left, kSettleFrames, 4800, sr), 300.0, 0.01);
        EXPECT_NEAR(FrequencyHz(out.right, kSettleFrames, 4800, sr), 200.0, 0.01);
    } else {
        for (int i = kSettleFrames; i < out.Frames(); ++i) {
            ASSERT_DOUBLE_EQ(out.left[i], out.right[i]) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Toneloom, BinauralPan,
                         ::testing::Values(PanCase{100, kTopGain, 0.0},
                                           PanCase{0, kTopGain / 2, kTopGain / 2},
                                           PanCase{-100, 0.0, kTopGain}),
                         [](const ::testing::TestParamInfo<PanCase>& p) {
                             const int pan = p.param.panPercent;
                             return pan < 0 ? "Minus" + std::to_string(-pan)
                                            : "Plus" + std::to_string(pan);
                         });

TEST(ToneloomTone, StartsAtItsFrequenciesWithoutASweepFromZero)
{
    // Default "Fade" is 1000 ms: a glide from 0 Hz would take most of a second.
    Rig rig;
    rig.Set(kWave, kWaveSine);
    const Stereo first = rig.Render(4800); // the first 100 ms
    EXPECT_NEAR(FrequencyHz(first.left, 0, 4800, rig.SampleRate()), 200.0, 1.0);
    EXPECT_NEAR(FrequencyHz(first.right, 0, 4800, rig.SampleRate()), 204.0, 1.0);
}

TEST(ToneloomTone, MonauralPutsTheFullSumInBothEars)
{
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kBeats, kBeatsMonaural);
    rig.Set(kBinaural, 0.0);
    const Stereo out = rig.Render(2 * kSettleFrames);
    const double sr = rig.SampleRate();
    for (int i = 0; i < out.Frames(); ++i) {
        ASSERT_EQ(out.left[i], out.right[i]) << i;
    }
    // Two equal oscillators summed without halving: 2 x 0.999.
    EXPECT_NEAR(ToneAmplitude(out.left, kSettleFrames, 4800, 200.0, sr), 2 * kTopGain, 1e-4);
    EXPECT_NEAR(FrequencyHz(out.left, kSettleFrames, 4800, sr), 200.0, 0.01);
}

class Beat : public ::testing::TestWithParam<double>
{
};

TEST_P(Beat, IsHeardAtTheOffsetInMonauralModeOnly)
{
    const double beatHz = GetParam();
    const int second = 48000;
    for (const int mode : {kBeatsMonaural, kBeatsBinaural}) {
        Rig rig;
        rig.UsePlainSine();
        rig.Set(kBeats, mode);
        rig.Set(kBinaural, beatHz);
        const Stereo out = rig.Render(second + kSettleFrames);
        // The power of the sum swings at the difference of the two frequencies.
        const std::vector<double> power = Squared(out.left);
        const double atBeat = ToneAmplitude(power, kSettleFrames, second, beatHz, 48000.0);
        const double beside = ToneAmplitude(power, kSettleFrames, second, beatHz + 1.0, 48000.0);
        if (mode == kBeatsMonaural) {
            EXPECT_NEAR(atBeat, kTopGain * kTopGain, 0.01) << beatHz;
            EXPECT_LT(beside, 0.01);
        } else {
            EXPECT_LT(atBeat, 0.01) << "one oscillator per ear beats in the head only";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Toneloom, Beat, ::testing::Values(4.0, 10.0, 25.0),
                         [](const ::testing::TestParamInfo<double>& p) {
                             return std::to_string(static_cast<int>(p.param)) + "Hz";
                         });

TEST(ToneloomTone, BeatOfHundredthsOfAHertzHoldsNearTheTopOfTheRange)
{
    // 19999.9 Hz and 20000.0 Hz drift apart by 0.01 cycles per second: their
    // phase difference turns by 2pi x 0.09 in nine seconds.
    constexpr double kBaseHz = 19999.9;
    constexpr double kBeatHz = 0.01;
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kBaseFreq, kBaseHz);
    rig.Set(kBinaural, kBeatHz);
    const Stereo out = rig.Render(11 * 48000, 4096);
    auto difference = [&](int at) {
        return ComponentPhase(out.right, at, 4800, kBaseHz, 48000.0) -
               ComponentPhase(out.left, at, 4800, kBaseHz, 48000.0);
    };
    const double turned = std::remainder(difference(10 * 48000) - difference(48000), kTwoPi);
    EXPECT_NEAR(turned / (kTwoPi * 9.0), kBeatHz, kBeatHz * 2e-3);
}

// ---------------------------------------------------------------------------
// Glide and levels.

struct GlideCase
{
    int fadeMs;
    double sampleRateHz;
};

void PrintTo(const GlideCase& c, std::ostream* os)
{
    *os << "fade " << c.fadeMs << " ms at " << c.sampleRateHz << " Hz";
}

class Glide : public ::testing::TestWithParam<GlideCase>
{
};

TEST_P(Glide, ApproachesTheNewFrequencyWithAQuarterOfTheFadeTime)
{
    const GlideCase& c = GetParam();
    Rig rig(c.sampleRateHz);
    rig.UsePlainSine();
    rig.Render(kSettleFrames, 64);
    rig.Set(kFade, c.fadeMs);
    rig.Set(kBaseFreq, 400.0);
    const double timeConstantS = c.fadeMs / 4000.0;
    const int frames = static_cast<int>(6 * timeConstantS * c.sampleRateHz);
    const Stereo out = rig.Render(frames, 64);

    // Frequency from one rising crossing to the next, at the middle of the two.
    const std::vector<double> crossings = RisingCrossings(out.left, 0, frames);
    ASSERT_GT(crossings.size(), 10u);
    const double oneTimeConstantHz = 400.0 - 200.0 / std::exp(1.0);
    double reachedAtS = -1.0;
    for (size_t k = 1; k < crossings.size() && reachedAtS < 0.0; ++k) {
        const double hz = c.sampleRateHz / (crossings[k] - crossings[k - 1]);
        if (hz >= oneTimeConstantHz) {
            reachedAtS = 0.5 * (crossings[k] + crossings[k - 1]) / c.sampleRateHz;
        }
    }
    const double periodS = 1.0 / oneTimeConstantHz;
    EXPECT_NEAR(reachedAtS, timeConstantS, 0.03 * timeConstantS + periodS);
    // After six time constants the gap is below 200 Hz x e^-6.
    EXPECT_NEAR(FrequencyHz(out.left, frames - frames / 12, frames / 12, c.sampleRateHz), 400.0,
                1.0);
}

INSTANTIATE_TEST_SUITE_P(Toneloom, Glide,
                         ::testing::Values(GlideCase{1000, 44100.0}, GlideCase{4000, 48000.0},
                                           GlideCase{1000, 96000.0}, GlideCase{400, 48000.0}),
                         [](const ::testing::TestParamInfo<GlideCase>& p) {
                             return std::to_string(p.param.fadeMs) + "ms" +
                                    std::to_string(static_cast<int>(p.param.sampleRateHz));
                         });

struct LevelCase
{
    int volumePercent;
    double peak;
};

void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << "volume " << c.volumePercent << " %, peak " << c.peak;
}

class Level : public ::testing::TestWithParam<LevelCase>
{
};

TEST_P(Level, FollowsVolumeOnA64DecibelScale)
{
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kVolume, GetParam().volumePercent);
    const Stereo out = rig.Render(2 * kSettleFrames);
    EXPECT_NEAR(Peak(out.left, kSettleFrames, kSettleFrames), GetParam().peak,
                GetParam().peak * 1e-3);
    EXPECT_NEAR(Peak(out.right, kSettleFrames, kSettleFrames), GetParam().peak,
                GetParam().peak * 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Toneloom, Level,
                         ::testing::Values(LevelCase{0, 0.000615}, LevelCase{90, 0.4769},
                                           LevelCase{100, 0.999}),
                         [](const ::testing::TestParamInfo<LevelCase>& p) {
                             return "Volume" + std::to_string(p.param.volumePercent);
                         });

TEST(ToneloomTone, ZeroVolumeIsAbout64DecibelsDownNotSilent)
{
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kVolume, 0);
    const Stereo out = rig.Render(2 * kSettleFrames);
    const double db = 20.0 * std::log10(Peak(out.left, kSettleFrames, kSettleFrames));
    EXPECT_NEAR(db, -64.2, 0.1);
}

// ---------------------------------------------------------------------------
// The transport gate.

Stereo TestInput(int frames)
{
    Stereo in;
    for (int i = 0; i < frames; ++i) {
        in.left.push_back(0.25 * std::sin(i * 0.05));
        in.right.push_back(-0.125 + 1e-5 * i);
    }
    return in;
}

TEST(ToneloomTone, StoppedTransportFadesOutInOneBlockThenPassesTheInputExactly)
{
    constexpr int kBlock = 512;
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kPlayAnyway, 0);
    const Stereo in = TestInput(40 * kBlock);
    rig.Render(8 * kBlock, kBlock, &in);

    rig.fx.transport = kTransportStopped;
    Stereo fadeIn = TestInput(kBlock);
    const Stereo fade = rig.Render(kBlock, kBlock, &fadeIn);
    // The tone (output minus input) falls along one block, to nothing at its end.
    std::vector<double> toneLeft(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        toneLeft[i] = fade.left[i] - fadeIn.left[i];
    }
    EXPECT_GT(Peak(toneLeft, 0, 64), 0.8);
    EXPECT_LT(Peak(toneLeft, kBlock - 16, 16), 0.04);

    // Afterwards: exactly the input, for as long as the transport stands.
    rig.Render(4 * kBlock, kBlock, &in);
    const Stereo stopped = rig.Render(16 * kBlock, kBlock, &in);
    for (int i = 0; i < stopped.Frames(); ++i) {
        ASSERT_EQ(stopped.left[i], in.left[i]) << i;
        ASSERT_EQ(stopped.right[i], in.right[i]) << i;
    }

    // Playing again fades the tone in over one block.
    rig.fx.transport = kTransportPlaying;
    const Stereo back = rig.Render(2 * kBlock, kBlock, &in);
    std::vector<double> toneBack(2 * kBlock);
    for (int i = 0; i < 2 * kBlock; ++i) {
        toneBack[i] = back.left[i] - in.left[i];
    }
    EXPECT_LT(Peak(toneBack, 0, 16), 0.04);
    EXPECT_NEAR(Peak(toneBack, kBlock, kBlock), kTopGain, 1e-3);
}

TEST(ToneloomTone, StoppedTransportWithoutInputIsExactSilence)
{
    for (const int state : {kTransportStopped, kTransportRecording}) {
        Rig rig;
        rig.UsePlainSine();
        rig.Set(kPlayAnyway, 0);
        rig.fx.transport = state;
        const Stereo out = rig.Render(24 * 512);
        if (state == kTransportStopped) {
            EXPECT_EQ(Peak(out.left, 8 * 512, 16 * 512), 0.0);
            EXPECT_EQ(Peak(out.right, 8 * 512, 16 * 512), 0.0);
        } else {
            EXPECT_NEAR(Peak(out.left, 8 * 512, 16 * 512), kTopGain, 1e-3); // recording plays
        }
    }
}

TEST(ToneloomTone, PlayAnywayKeepsTheToneWhileTheTransportStands)
{
    Rig rig;
    rig.UsePlainSine(); // "Play Anyway" on
    rig.fx.transport = kTransportStopped;
    const Stereo out = rig.Render(4 * kSettleFrames);
    EXPECT_NEAR(Peak(out.left, 3 * kSettleFrames, kSettleFrames), kTopGain, 1e-3);
    EXPECT_NEAR(FrequencyHz(out.left, 3 * kSettleFrames, kSettleFrames, 48000.0), 200.0, 0.01);
}

TEST(ToneloomTone, PhasesStandStillWhileSilent)
{
    // Two instances stop and play again alike; one of them stays stopped for
    // 37 further blocks. If the phases advanced while silent, the two would
    // differ after the restart.
    auto run = [](int extraSilentBlocks) {
        Rig rig;
        rig.UsePlainSine();
        rig.Set(kBinaural, 7.0);
        rig.Set(kPlayAnyway, 0);
        rig.Render(8 * 512);
        rig.fx.transport = kTransportStopped;
        rig.Render(6 * 512);
        const Stereo silent = rig.Render(extraSilentBlocks * 512);
        EXPECT_EQ(Peak(silent.left, 0, silent.Frames()), 0.0);
        rig.fx.transport = kTransportPlaying;
        return rig.Render(8 * 512);
    };
    const Stereo reference = run(0);
    const Stereo delayed = run(37);
    for (int i = 0; i < reference.Frames(); ++i) {
        ASSERT_EQ(reference.left[i], delayed.left[i]) << i;
        ASSERT_EQ(reference.right[i], delayed.right[i]) << i;
    }
}

// ---------------------------------------------------------------------------
// Phase continuity and re-alignment.

class BlockSize : public ::testing::TestWithParam<int>
{
};

TEST_P(BlockSize, KeepsPhasesContinuous)
{
    auto render = [](int blockFrames) {
        Rig rig;
        rig.Set(kFade, 1);
        rig.Set(kPlayAnyway, 1); // the default tone otherwise
        SettleAndRealign(rig, 0);
        return rig.Render(8192, blockFrames);
    };
    const Stereo reference = render(8192);
    const Stereo blocks = render(GetParam());
    for (int i = 0; i < reference.Frames(); ++i) {
        ASSERT_NEAR(blocks.left[i], reference.left[i], kGainResidue) << i;
        ASSERT_NEAR(blocks.right[i], reference.right[i], kGainResidue) << i;
    }
    EXPECT_LE(LargestStep(blocks.left, 0, blocks.Frames()),
              LargestStep(reference.left, 0, reference.Frames()) + kGainResidue);
}

INSTANTIATE_TEST_SUITE_P(Toneloom, BlockSize, ::testing::Values(1, 7, 64, 4096),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "Blocks" + std::to_string(p.param);
                         });

struct PauseCase
{
    uint32_t pauseMs;
    bool offline;
};

void PrintTo(const PauseCase& c, std::ostream* os)
{
    *os << c.pauseMs << " ms " << (c.offline ? "offline" : "in real time");
}

class Pause : public ::testing::TestWithParam<PauseCase>
{
};

TEST_P(Pause, RealignsPhasesOnlyInRealTimeAndWhenLongerThanHalfASecond)
{
    const PauseCase& c = GetParam();
    // The transport stands (its position stays at 0) while "Play Anyway"
    // keeps the tone running: 4900 samples leave it 0.4 of a cycle away from
    // the timeline's phase.
    auto render = [&](bool pause) {
        Rig rig;
        rig.UsePlainSine();
        rig.fx.offline = c.offline;
        rig.fx.transport = kTransportStopped;
        rig.Render(4900);
        if (pause) {
            // The next block starts `pauseMs` after the previous one did.
            rig.clock.nowMs = rig.LastBlockStartMs() + c.pauseMs;
        }
        return rig.Render(960);
    };
    const Stereo unpaused = render(false);
    const Stereo paused = render(true);
    if (c.offline || c.pauseMs <= 500) {
        // Continuous: as if nothing had happened.
        for (int i = 0; i < paused.Frames(); ++i) {
            ASSERT_NEAR(paused.left[i], unpaused.left[i], 1e-9) << i;
        }
    } else {
        // An oscillator that ran at 200 Hz since the start of the timeline.
        for (int i = 0; i < paused.Frames(); ++i) {
            ASSERT_NEAR(paused.left[i], TimelineSine(i), kGainResidue) << i;
        }
        EXPECT_GT(std::fabs(paused.left[0] - unpaused.left[0]), 0.1);
    }
}

INSTANTIATE_TEST_SUITE_P(Toneloom, Pause,
                         ::testing::Values(PauseCase{11, false}, PauseCase{500, false},
                                           PauseCase{501, false}, PauseCase{5000, false},
                                           PauseCase{501, true}, PauseCase{5000, true}),
                         [](const ::testing::TestParamInfo<PauseCase>& p) {
                             return (p.param.offline ? "Offline" : "RealTime") +
                                    std::to_string(p.param.pauseMs) + "ms";
                         });

TEST(ToneloomTone, PositionJumpRealignsPhasesInEveryMode)
{
    constexpr int64_t kJumpedTo = 12345; // samples
    for (const bool offline : {false, true}) {
        Rig rig;
        rig.UsePlainSine();
        rig.fx.offline = offline;
        rig.Set(kBaseFreq, 213.0); // off the timeline's phase...
        rig.Render(kSettleFrames);
        rig.Set(kBaseFreq, 200.0); // ...and back at once ("Fade" 1 ms)
        rig.Render(512);
        rig.fx.positionSamples = kJumpedTo; // a locate, no pause
        const Stereo out = rig.Render(960);
        for (int i = 0; i < out.Frames(); ++i) {
            ASSERT_NEAR(out.left[i], TimelineSine(kJumpedTo + i), kGainResidue)
                << (offline ? "offline " : "real time ") << i;
        }
    }
}

TEST(ToneloomTone, PositionsPastTwoToThe31RealignExactly)
{
    // 2^31 samples are 12.4 hours at 48 kHz: a night-long session passes
    // them. A pause there re-aligns to where the tone already is; a locate
    // to 24.9 hours lands on that position's phase.
    constexpr int64_t kTwoTo31 = int64_t{1} << 31;
    constexpr int64_t kStart = kTwoTo31 - 24000;
    Rig rig;
    rig.UsePlainSine();
    rig.fx.positionSamples = kStart;
    const Stereo before = rig.Render(24576);
    rig.AdvanceClockMs(1000); // the host stalls a second past 2^31
    const Stereo after = rig.Render(4800);
    for (int i = 512; i < before.Frames(); ++i) {
        ASSERT_NEAR(before.left[i], TimelineSine(kStart + i), kGainResidue) << i;
    }
    for (int i = 0; i < after.Frames(); ++i) {
        ASSERT_NEAR(after.left[i], TimelineSine(kStart + before.Frames() + i), kGainResidue) << i;
    }

    const int64_t locate = 2 * kTwoTo31 + 12345;
    rig.fx.positionSamples = locate;
    const Stereo located = rig.Render(960);
    for (int i = 0; i < located.Frames(); ++i) {
        ASSERT_NEAR(located.left[i], TimelineSine(locate + i), kGainResidue) << i;
    }
}

// An LFO on the base frequency takes the phases off the timeline's, so a
// re-alignment that should not happen shows as a jump.
void UseBaseFreqLfo(Rig& rig)
{
    rig.UsePlainSine();
    rig.Set(kLfo1Sync, 0);
    rig.Set(kLfo1RateMs, 3000);
    rig.Set(kLfo1Depth, 30);
    rig.Set(kLfo1Target, kTargetBaseFreq);
}

TEST(ToneloomTone, OfflineRenderStaysContinuousThroughAStall)
{
    // A bounce on a busy machine: one block comes a second after the previous.
    for (const bool offline : {true, false}) {
        auto render = [&](bool stall) {
            Rig rig;
            UseBaseFreqLfo(rig);
            rig.fx.offline = offline;
            Stereo out = rig.Render(2 * 48000);
            if (stall) {
                rig.AdvanceClockMs(1000);
            }
            const Stereo more = rig.Render(4800);
            out.left.insert(out.left.end(), more.left.begin(), more.left.end());
            return out;
        };
        const Stereo steady = render(false);
        const Stereo stalled = render(true);
        double largestDifference = 0.0;
        for (int i = 0; i < steady.Frames(); ++i) {
            largestDifference =
                std::max(largestDifference, std::fabs(stalled.left[i] - steady.left[i]));
        }
        if (offline) {
            EXPECT_EQ(largestDifference, 0.0);
        } else {
            EXPECT_GT(largestDifference, 0.1) << "in real time a stall still re-aligns";
        }
    }
}

TEST(ToneloomTone, HostBlockRenderedInPiecesIsNoJump)
{
    // The binding cuts a host block longer than the negotiated maximum into
    // pieces that all see the host block's position; the next host block
    // then starts where the whole block ended.
    auto render = [](int pieceFrames) {
        Rig rig;
        UseBaseFreqLfo(rig);
        rig.Render(4800);
        Stereo out = rig.RenderHostBlock(1500, pieceFrames);
        const Stereo more = rig.Render(2048);
        out.left.insert(out.left.end(), more.left.begin(), more.left.end());
        return out;
    };
    const Stereo whole = render(1500);
    const Stereo pieces = render(512);
    for (int i = 0; i < whole.Frames(); ++i) {
        ASSERT_NEAR(pieces.left[i], whole.left[i], kGainResidue) << i;
    }
}

TEST(ToneloomTone, StandingTransportIsNoJump)
{
    // The host keeps reporting the same position while stopped, then plays
    // on from it: the tone runs through without a re-alignment.
    auto render = [](bool standing) {
        Rig rig;
        UseBaseFreqLfo(rig);
        rig.fx.transport = standing ? kTransportStopped : kTransportPlaying;
        Stereo out = rig.Render(4800);
        rig.fx.transport = kTransportPlaying;
        const Stereo more = rig.Render(4800);
        out.left.insert(out.left.end(), more.left.begin(), more.left.end());
        return out;
    };
    const Stereo playing = render(false);
    const Stereo standing = render(true);
    for (int i = 0; i < playing.Frames(); ++i) {
        ASSERT_EQ(standing.left[i], playing.left[i]) << i;
    }
}

TEST(ToneloomTone, RealignmentFromANegativePositionStaysInOneCycle)
{
    // 200 Hz and 240 Hz at 48 kHz repeat every 240 and 200 samples: positions
    // -1000 and 200 are the same point of both cycles.
    auto render = [](int position) {
        Rig rig;
        rig.UsePlainSine();
        rig.Set(kBinaural, 40.0);
        rig.Set(kWave, kWaveGoldenTriangle);
        SettleAndRealign(rig, position);
        return rig.Render(2400);
    };
    const Stereo before = render(-1000);
    const Stereo after = render(200);
    for (int i = 0; i < before.Frames(); ++i) {
        ASSERT_NEAR(before.left[i], after.left[i], 1e-9) << i;
        ASSERT_NEAR(before.right[i], after.right[i], 1e-9) << i;
    }
    EXPECT_GE(Minimum(before.left, 0, 2400), -kTopGain - 1e-9);
    EXPECT_LE(Maximum(before.left, 0, 2400), kTopGain + 1e-9);
}

// ---------------------------------------------------------------------------
// Wave shapes. The base oscillator runs at 48 Hz, 1000 samples per cycle,
// from phase 0, so sample i lies at i / 1000 of the cycle.

// Where sin(x - k sin x) reaches the phase `target` (pi/2 for the top,
// 3pi/2 for the bottom), as a fraction of the cycle.
double WarpedSineAt(double k, double target)
{
    double low = 0.0;
    double high = kTwoPi;
    for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (low + high);
        (mid - k * std::sin(mid) < target ? low : high) = mid;
    }
    return low / kTwoPi;
}

struct ShapeCase
{
    int shape;
    double topAt;    // fraction of the cycle where the shape is highest
    double bottomAt; // and lowest
};

void PrintTo(const ShapeCase& c, std::ostream* os)
{
    *os << "wave " << c.shape << ", top at " << c.topAt << ", bottom at " << c.bottomAt;
}

class Shape : public ::testing::TestWithParam<ShapeCase>
{
};

Stereo OneCycleOf(int shape, int previousShape = kWaveGoldenSineTS)
{
    Rig rig;
    rig.UsePlainSine();
    rig.Set(kWave, previousShape);
    rig.Set(kWave, shape);
    rig.Set(kBaseFreq, 48.0);
    SettleAndRealign(rig, 0);
    return rig.Render(1000);
}

TEST_P(Shape, SpansTheFullRangeWithItsTopAndBottomWhereTheShapeSplits)
{
    const ShapeCase& c = GetParam();
    const Stereo cycle = OneCycleOf(c.shape);
    const std::vector<double>& x = cycle.left;
    // Sharp tops fall between samples: allow a 1000th of the cycle's slope.
    EXPECT_NEAR(Maximum(x, 0, 1000), kTopGain, 4e-3);
    EXPECT_NEAR(Minimum(x, 0, 1000), -kTopGain, 4e-3);
    if (c.shape == kWaveGoldenSquare) {
        // +1 then -1, switching where "Golden Sine TS" (the default) split: 38.2 %.
        for (int i = 0; i < 1000; ++i) {
            ASSERT_NEAR(x[i], i < 382 ? kTopGain : -kTopGain, kGainResidue) << i;
        }
        return;
    }
    const int top = static_cast<int>(std::max_element(x.begin(), x.end()) - x.begin());
    const int bottom = static_cast<int>(std::min_element(x.begin(), x.end()) - x.begin());
    EXPECT_NEAR(top, c.topAt * 1000.0, 1.0);
    EXPECT_NEAR(bottom, c.bottomAt * 1000.0, 1.0);
}

constexpr double kGolden = 0.618034;

INSTANTIATE_TEST_SUITE_P(
    Toneloom, Shape,
    ::testing::Values(ShapeCase{kWaveSine, 0.25, 0.75},
                      ShapeCase{kWaveGoldenSineTS, 0.0, 1.0 - kGolden},
                      ShapeCase{kWaveGoldenSineSG, WarpedSineAt(0.397856, kTwoPi / 4),
                                WarpedSineAt(0.397856, 3 * kTwoPi / 4)},
                      ShapeCase{kWaveGoldenSineGS, WarpedSineAt(kGolden, kTwoPi / 4),
                                WarpedSineAt(kGolden, 3 * kTwoPi / 4)},
                      ShapeCase{kWaveSineHalf, kGolden, 0.0},
                      ShapeCase{kWaveGoldenTriangle, kGolden, 0.0},
                      ShapeCase{kWaveGoldenSquare, 0.0, 0.0}),
    [](const ::testing::TestParamInfo<ShapeCase>& p) {
        return "Wave" + std::to_string(p.param.shape);
    });

TEST(ToneloomTone, SquareSplitsWhereTheLastGoldenShapeSplit)
{
    for (const int previous : {kWaveSineHalf, kWaveGoldenTriangle}) {
        const Stereo cycle = OneCycleOf(kWaveGoldenSquare, previous);
        for (int i = 0; i < 1000; ++i) {
            // The split lies at 618.03 samples.
            ASSERT_NEAR(cycle.left[i], i <= 618 ? kTopGain : -kTopGain, kGainResidue) << i;
        }
    }
}

TEST(ToneloomTone, TriangleAndSineHalfAreContinuousAtTheirSplit)
{
    for (const int shape : {kWaveSineHalf, kWaveGoldenTriangle, kWaveGoldenSineTS}) {
        const Stereo cycle = OneCycleOf(shape);
        // One 1000th of a cycle moves a triangle by at most 2 / 382 of its range.
        EXPECT_LT(LargestStep(cycle.left, 0, 1000), 2.0 * kTopGain * 2.0 / 381.0) << shape;
    }
}

// ---------------------------------------------------------------------------
// Sample rates and awkward calls.

class SampleRate : public ::testing::TestWithParam<double>
{
};

TEST_P(SampleRate, ChangeFollowedByResetKeepsThePitch)
{
    Rig rig;
    rig.UsePlainSine();
    rig.Render(kSettleFrames);
    const double hz = GetParam();
    rig.fx.UseSampleRate(hz);
    rig.fx.OnReset();
    const int second = static_cast<int>(hz);
    // The rig's clock runs at 48 kHz blocks; pitch is what counts here.
    const Stereo out = rig.Render(second);
    EXPECT_NEAR(FrequencyHz(out.left, second / 2, second / 2, hz), 200.0, 0.01);
    EXPECT_NEAR(Peak(out.left, second / 2, second / 2), kTopGain, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Toneloom, SampleRate, ::testing::Values(44100.0, 96000.0, 192000.0),
                         [](const ::testing::TestParamInfo<double>& p) {
                             return std::to_string(static_cast<int>(p.param)) + "Hz";
                         });

TEST(ToneloomTone, ToneStaysInRangeWhenItsFrequencyExceedsTheSampleRate)
{
    // 20 kHz at 8 kHz advances the phase by more than a cycle per sample.
    Rig rig(8000.0);
    rig.UsePlainSine();
    rig.Set(kWave, kWaveGoldenTriangle);
    rig.Set(kBaseFreq, 20000.0);
    const Stereo out = rig.Render(8000);
    EXPECT_GE(Minimum(out.left, 0, 8000), -kTopGain - 1e-9);
    EXPECT_LE(Maximum(out.left, 0, 8000), kTopGain + 1e-9);
    EXPECT_GE(Minimum(out.right, 0, 8000), -kTopGain - 1e-9);
    EXPECT_LE(Maximum(out.right, 0, 8000), kTopGain + 1e-9);
}

TEST(ToneloomTone, MissingBuffersAreSurvived)
{
    Rig rig;
    rig.UsePlainSine();
    std::vector<double> left(256, 0.0);
    std::vector<double> right(256, 0.0);
    IEffectBase::InstanceLock lock(rig.fx.Mutex());
    rig.fx.ProcessBlock(nullptr, nullptr, 256);
    double* onlyLeft[2] = {left.data(), nullptr};
    rig.fx.ProcessBlock(nullptr, onlyLeft, 256);
    double* outs[2] = {left.data(), right.data()};
    double* noInputs[2] = {nullptr, nullptr};
    rig.fx.ProcessBlock(noInputs, outs, 256);
    EXPECT_GT(Peak(left, 0, 256), 0.0);
    rig.fx.ProcessBlock(nullptr, outs, 0);
    rig.fx.ProcessBlock(nullptr, outs, -5);
}

TEST(ToneloomTone, RenderingAllocatesNothing)
{
    Rig rig;
    rig.Set(kLfo1Target, kTargetVolume);
    rig.Set(kLfo2Target, kTargetBinauralPan);
    rig.Set(kLfo2Sync, 0);
    rig.Render(4096);
    std::vector<double> in(512, 0.1);
    std::vector<double> left(512);
    std::vector<double> right(512);
    double* ins[2] = {in.data(), in.data()};
    double* outs[2] = {left.data(), right.data()};
    AllocationCounter::Start();
    for (int block = 0; block < 64; ++block) {
        rig.fx.tempoBpm = 100.0 + block; // a new tempo re-evaluates the synced rates
        rig.fx.transport = block % 16 < 8 ? kTransportPlaying : kTransportStopped;
        rig.clock.nowMs += block % 7 == 0 ? 700 : 10;
        IEffectBase::InstanceLock lock(rig.fx.Mutex());
        rig.fx.BindInputs(0, 2, ins);
        rig.fx.BindOutputs(0, 2, outs);
        rig.fx.RunProcess(512);
    }
    EXPECT_EQ(AllocationCounter::Stop(), 0);
}

} // namespace
