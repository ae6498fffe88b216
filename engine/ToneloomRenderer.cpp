// The block renderer: two oscillators, their wave shapes, the binaural or
// monaural mix, the glide, volume and pan ramps, the transport gate, the
// re-alignment of the phases to the host's timeline, and the per-sample tick
// of the LFOs.
//
// Speed: the sample loop keeps every running value in locals (an output
// store could alias any member of type double, which would force them to
// memory on every sample), is instantiated once per wave shape, and inlines
// the LFO ticks. Sine and cosine are the engine's own inlined polynomials
// (ToneSin, ToneCos), within a few units in the last place of the C
// library's but without the cost of a call per sample.
#include "CLS_TONELOOM.h"

#include "ToneloomMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__GNUC__)
#define TONELOOM_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define TONELOOM_ALWAYS_INLINE inline
#endif

namespace toneloom {

struct CLS_TONELOOM::RunningState
{
    double phaseLeft;          // radians
    double phaseRight;         // radians
    double incLeft;            // radians per sample
    double incRight;           // radians per sample
    double lfoPhase[kNumLfos]; // radians
    float volume;              // linear gain, ramped
    float pan;                 // -1..1
    // What the LFOs contribute: the factor a volume LFO puts on the ramped
    // gain (1 without one) and the right ear's offset above the left one in
    // radians per sample ("Binaural", or a binaural LFO's current value).
    double gainScale;
    double beatOffset;
};

// What the ramps add per sample during one block.
struct CLS_TONELOOM::BlockSteps
{
    double incLeft;  // radians per sample, per sample
    double incRight; // radians per sample, per sample
    float volume;
    float pan;
};

namespace {

constexpr double kBeatsPerBar = 4.0; // a "bar" for the LFO divisions is a whole note
// In real-time processing a pause longer than this between two blocks (the
// host stopped calling) re-aligns the phases to the host position. Offline the
// wall clock says nothing about the timeline.
constexpr uint32_t kResyncGapMs = 500;
// Differences at or below this count as "reached" for glides and the gate.
constexpr double kReachedEpsilon = 1e-24;
constexpr float kSilentGain = 1e-24f;
constexpr double kBinauralMixGain = 0.5; // each ear takes half of each weighted side

// Phase of an oscillator that ran at `incRadPerSample` from the start of the
// timeline to `positionSamples`, in [0, 2pi) also for negative positions.
double TimelinePhase(int64_t positionSamples, double incRadPerSample)
{
    // A double holds every sample count below 2^53 exactly (about 6000 years at 48 kHz).
    const double position = static_cast<double>(positionSamples);
    double phase = kTwoPi * std::fmod(position * incRadPerSample * kInvTwoPi, 1.0);
    if (phase < 0.0) {
        phase += kTwoPi; // fmod keeps the sign of a position before the start
    }
    if (!(phase < kTwoPi)) {
        phase = 0.0; // -tiny + 2pi rounded up to 2pi, or no finite increment
    }
    return phase;
}

// The coefficients of the tone's shape, for one block.
struct ShapeCoefficients
{
    double split;      // radians
    double slopeLow;   // shapes 1, 4: radians per radian; shape 5: per radian
    double slopeHigh;  // as slopeLow; shape 5: the value at the top of the fall
    double offsetHigh; // shapes 1, 4: radians; shape 5: fall per radian
    double warp;       // shapes 2, 3: radians
};

// The straight-line shapes at phase x in [0, 2pi), between -1 and 1.
template <int Shape>
TONELOOM_ALWAYS_INLINE double LineShapeValue(double x, const ShapeCoefficients& c)
{
    if constexpr (Shape == kWaveGoldenTriangle) {
        return x < c.split ? x * c.slopeLow - 1.0 : c.slopeHigh - x * c.offsetHigh;
    } else if constexpr (Shape == kWaveGoldenSquare) {
        return x < c.split ? 1.0 : -1.0;
    } else {
        return 0.0; // no such shape: silence
    }
}

// The tone's wave at both channels' phases in [0, 2pi), between -1 and 1.
// The shapes built on a sine compute the two channels together.
template <int Shape>
TONELOOM_ALWAYS_INLINE StereoValue ShapeValues(double left, double right,
                                               const ShapeCoefficients& c)
{
    auto warped = [&c](double x) {
        return x < c.split ? x * c.slopeLow : x * c.slopeHigh + c.offsetHigh;
    };
    if constexpr (Shape == kWaveSine) {
        return ToneSin2(left, right);
    } else if constexpr (Shape == kWaveGoldenSineTS) {
        return ToneCos2(warped(left), warped(right));
    } else if constexpr (Shape == kWaveGoldenSineSG || Shape == kWaveGoldenSineGS) {
        const StereoValue inner = ToneSin2(left, right);
        return ToneSin2(left - c.warp * inner.left, right - c.warp * inner.right);
    } else if constexpr (Shape == kWaveSineHalf) {
        const StereoValue v = ToneSin2(warped(left), warped(right));
        return {2.0 * v.left - 1.0, 2.0 * v.right - 1.0};
    } else {
        return {LineShapeValue<Shape>(left, c), LineShapeValue<Shape>(right, c)};
    }
}

} // namespace

// One LFO's settings, copied out of the plug-in for a block: the sample loop
// then keeps them in registers instead of reading them back after every
// output it writes.
//
// Every LFO wave is written in one form, so that the loop needs no switch
// over the waves and both LFOs share one sine evaluation: a line in two
// pieces, y = x < split ? x * lowSlope + lowOffset : x * highSlope +
// highOffset, at phase x; the wave is then y itself (the straight waves,
// lineWeight 1) or scale * sin(y) + bias (cos(y) where cosine says so).
struct CLS_TONELOOM::LfoBlock
{
    int target;      // LfoTarget
    double split;    // radians; infinite for the waves in one piece
    double lowSlope; // per radian
    double lowOffset;
    double highSlope; // per radian
    double highOffset;
    double cosine; // kSineShift or kCosineShift
    double scale;
    double bias;
    double lineWeight; // 1 for the straight waves, else 0
    double inc;        // radians per sample
    double swing;      // half the peak-to-peak swing, in the target's units
    double centre;     // in the target's units
    double perVolume;  // 1 / the "Volume" gain: makes a volume LFO's gain a factor
};

CLS_TONELOOM::LfoBlock CLS_TONELOOM::LfoBlockOf(int lfo) const
{
    constexpr double kWhole = std::numeric_limits<double>::infinity();
    const double s = lfoSplit[lfo];
    const double k1 = lfoSlopeLow[lfo];
    const double a = lfoUpperA[lfo];
    const double b = lfoUpperB[lfo];
    LfoBlock block{};
    block.target = lfoTarget[lfo];
    block.inc = lfoInc[lfo];
    block.swing = static_cast<double>(lfoSwing[lfo]);
    block.centre = static_cast<double>(lfoCentre[lfo]);
    block.perVolume = volumeTarget > 0.0f ? 1.0 / static_cast<double>(volumeTarget) : 0.0;
    auto pieces = [&block](double split, double lowSlope, double lowOffset, double highSlope,
                           double highOffset) {
        block.split = split;
        block.lowSlope = lowSlope;
        block.lowOffset = lowOffset;
        block.highSlope = highSlope;
        block.highOffset = highOffset;
    };
    switch (lfoWave[lfo]) {
    case kLfoSine: // sin x
        pieces(kWhole, 1.0, 0.0, 0.0, 0.0);
        block.scale = 1.0;
        break;
    case kLfoGoldenSine: // cos of x stretched to the split
        pieces(s, k1, 0.0, a, b);
        block.cosine = kCosineShift;
        block.scale = 1.0;
        break;
    case kLfoTriangle:
    case kLfoGoldenTri:
    case kLfoSaw:
    case kLfoSawFlip: // x * k1 - 1 rising, a - x * b falling
        pieces(s, k1, -1.0, -b, a);
        block.lineWeight = 1.0;
        break;
    case kLfoSineHalf: // 2 sin(x / 2) - 1
        pieces(kWhole, 0.5, 0.0, 0.0, 0.0);
        block.scale = 2.0;
        block.bias = -1.0;
        break;
    case kLfoHalfFlip: // 2 sin(x / 2 + pi) + 1
        pieces(kWhole, 0.5, kPi, 0.0, 0.0);
        block.scale = 2.0;
        block.bias = 1.0;
        break;
    case kLfoGoldenHalf: // 2 sin(x stretched to the split) - 1
        pieces(s, k1, 0.0, a, b);
        block.scale = 2.0;
        block.bias = -1.0;
        break;
    default: // no wave: 0
        pieces(kWhole, 0.0, 0.0, 0.0, 0.0);
        block.lineWeight = 1.0;
        break;
    }
    return block;
}

TONELOOM_ALWAYS_INLINE StereoValue CLS_TONELOOM::LfoWaveValues(const LfoBlock (&settings)[kNumLfos],
                                                               const RunningState& state)
{
    auto piece = [](const LfoBlock& lfo, double x) {
        return x < lfo.split ? x * lfo.lowSlope + lfo.lowOffset
                             : x * lfo.highSlope + lfo.highOffset;
    };
    const LfoBlock& first = settings[0];
    const LfoBlock& second = settings[1];
    const double y0 = piece(first, state.lfoPhase[0]);
    const double y1 = piece(second, state.lfoPhase[1]);
    const StereoValue v = ToneSinOrCos2(y0, first.cosine, y1, second.cosine);
    // The unused part of each sum is an exact zero.
    return {first.scale * v.left + first.bias + first.lineWeight * y0,
            second.scale * v.right + second.bias + second.lineWeight * y1};
}

// Moves LFO `lfo` on by one sample; `w` is its wave at the current phase.
TONELOOM_ALWAYS_INLINE void CLS_TONELOOM::TickLfo(int lfo, const LfoBlock& settings, double w,
                                                  float effectiveVolume, RunningState& state)
{
    double& phase = state.lfoPhase[lfo];
    phase += settings.inc;
    WrapPhase(phase);
    const double m = settings.swing * w + settings.centre;
    switch (settings.target) {
    case kTargetBaseFreq:
        // The right ear keeps its offset above the moving base, whether that
        // offset is "Binaural" or the other LFO's.
        state.incLeft = m;
        state.incRight = m + state.beatOffset;
        break;
    case kTargetBinaural:
        // Built on the current left increment, which the other LFO or a
        // glide may be moving.
        state.beatOffset = m;
        state.incRight = state.incLeft + m;
        break;
    case kTargetBinauralPan:
        state.pan = static_cast<float>(m);
        break;
    case kTargetVolume:
        // The LFO rides on the ramped gain rather than replacing it: once the
        // ramp has reached "Volume" the gain is m, and however the host cuts
        // its blocks the ramp toward a new target (or to silence when the
        // transport stops) carries the swing along with it.
        state.gainScale = m * settings.perVolume;
        if (effectiveVolume == 0.0f) {
            return; // fading out: the marker stands
        }
        break;
    default:
        return;
    }
    lfoMarkers[lfo].position.store(static_cast<float>(m), std::memory_order_relaxed);
}

void CLS_TONELOOM::ResyncPhases(int64_t positionSamples)
{
    phaseLeft = TimelinePhase(positionSamples, incLeftTarget);
    phaseRight = TimelinePhase(positionSamples, incRightTarget);
    resyncRequested = false;
}

bool CLS_TONELOOM::FollowHostPosition(int frames, int64_t* positionSamples)
{
    const int64_t hostPosition = GetSamplePosition();
    bool jumped = false;
    if (hostPosition == blockPosition) {
        // The transport stands, or this is a later piece of a host block
        // rendered in pieces: the timeline moved on by what was played.
        *positionSamples = hostPosition + playedSincePosition;
    } else {
        jumped = hostPosition != blockPosition + playedSincePosition;
        blockPosition = hostPosition;
        playedSincePosition = 0;
        *positionSamples = hostPosition;
    }
    if (frames > 0 && HostTransportState() != kTransportStopped) {
        playedSincePosition += frames;
    }
    return jumped;
}

template <int Shape>
void CLS_TONELOOM::RenderSamples(RunningState& state, const BlockSteps& steps, const double* inLeft,
                                 const double* inRight, double* outLeft, double* outRight,
                                 int frames, float effectiveVolume)
{
    const ShapeCoefficients shape{splitPhase, slopeLow, slopeHigh, offsetHigh, warpAmount};
    const BlockSteps step = steps;
    const bool binaural = binauralMix;
    const bool tickFirst = lfoActive[0];
    const bool tickSecond = lfoActive[1];
    const bool targetAudible = effectiveVolume > kSilentGain;
    const LfoBlock lfos[kNumLfos] = {LfoBlockOf(0), LfoBlockOf(1)};
    RunningState s = state;
    for (int i = 0; i < frames; ++i) {
        const double inL = inLeft != nullptr ? inLeft[i] : 0.0;
        const double inR = inRight != nullptr ? inRight[i] : 0.0;
        if (!targetAudible && !(s.volume > kSilentGain)) {
            // Silent: pass the input; phases, ramps and LFOs stand still.
            outLeft[i] = inL;
            outRight[i] = inR;
            continue;
        }
        if (tickFirst || tickSecond) {
            // Each wave depends on its own phase only: both first, then
            // LFO 1 acts before LFO 2.
            const StereoValue w = LfoWaveValues(lfos, s);
            if (tickFirst) {
                TickLfo(0, lfos[0], w.left, effectiveVolume, s);
            }
            if (tickSecond) {
                TickLfo(1, lfos[1], w.right, effectiveVolume, s);
            }
        }
        s.volume += step.volume;
        s.incLeft += step.incLeft;
        s.incRight += step.incRight;
        s.pan += step.pan;

        const StereoValue wave = ShapeValues<Shape>(s.phaseLeft, s.phaseRight, shape);
        const double left = wave.left;
        const double right = wave.right;
        const double gain = s.volume * s.gainScale;
        double mixLeft;
        double mixRight;
        if (binaural) {
            // pan 1: own oscillator per ear; 0: both ears the average; -1: swapped.
            const double own = s.pan + 1.0;
            const double other = 1.0 - s.pan;
            mixLeft = (own * left + other * right) * gain * kBinauralMixGain;
            mixRight = (own * right + other * left) * gain * kBinauralMixGain;
        } else {
            mixLeft = (left + right) * gain; // the sum reaches 2 x 0.999
            mixRight = mixLeft;
        }
        outLeft[i] = mixLeft + inL;
        outRight[i] = mixRight + inR;

        s.phaseLeft += s.incLeft;
        WrapPhase(s.phaseLeft);
        s.phaseRight += s.incRight;
        WrapPhase(s.phaseRight);
    }
    state = s;
}

void CLS_TONELOOM::ProcessBlock(double** inputs, double** outputs, int frames)
{
    // Stage 1: host tempo and the first block's reset (now with the true sample rate).
    const double samplesPerBeat = SamplesPerBeat();
    if (!started) {
        started = true;
        OnReset();
        // The tone starts at its frequencies: a glide is for changes, not a
        // sweep up from 0 Hz every time the plug-in starts.
        incLeft = incLeftTarget;
        incRight = incRightTarget;
    }
    const double barSamples = kBeatsPerBar * samplesPerBeat;
    if (barSamples != samplesPerBar) {
        samplesPerBar = barSamples;
        for (int index : {kLfo1RateDiv, kLfo2RateDiv}) {
            lastParamKeys[index] = -1; // force the tempo-synced rates to follow
            ParameterChanged(index);
        }
    }

    // Stage 2: the transport gate and the phase re-alignment: when the host
    // position jumps (a locate, a loop) and, in real time, after a pause.
    const float effectiveVolume =
        (playAnyway || HostTransportState() != kTransportStopped) ? volumeTarget : 0.0f;
    const uint32_t nowMs = clock->NowMs();
    int64_t position = 0;
    const bool jumped = FollowHostPosition(frames, &position);
    const bool paused = !IsRenderingOffline() && nowMs - lastBlockClock > kResyncGapMs;
    if (resyncRequested || jumped || paused) {
        ResyncPhases(position);
    }

    // Stage 3: per-sample ramps toward the targets.
    double* outLeft = outputs != nullptr ? outputs[0] : nullptr;
    double* outRight = outputs != nullptr ? outputs[1] : nullptr;
    if (frames > 0 && outLeft != nullptr && outRight != nullptr) {
        const double* inLeft = addInput && inputs != nullptr ? inputs[0] : nullptr;
        const double* inRight = addInput && inputs != nullptr ? inputs[1] : nullptr;

        BlockSteps steps{0.0, 0.0, 0.0f, 0.0f};
        if (std::fabs(incLeftTarget - incLeft) > kReachedEpsilon ||
            std::fabs(incRightTarget - incRight) > kReachedEpsilon) {
            // Shorter blocks than the glide shrink the gap by (1 - frames / glide)
            // per block: close to an exponential approach.
            const double glideLength = std::max<double>(frames, glideSamples);
            const bool lfoOnBase =
                lfoTarget[0] == kTargetBaseFreq || lfoTarget[1] == kTargetBaseFreq;
            const bool lfoOnBeat =
                lfoTarget[0] == kTargetBinaural || lfoTarget[1] == kTargetBinaural;
            steps.incLeft = lfoOnBase ? 0.0 : (incLeftTarget - incLeft) / glideLength;
            // An LFO on "Base Freq" writes the right increment too (base plus
            // offset), so a glide step on top would shift the binaural offset;
            // under an LFO on "Binaural" alone the right ear follows the
            // left one's glide.
            if (lfoOnBase) {
                steps.incRight = 0.0;
            } else if (lfoOnBeat) {
                steps.incRight = steps.incLeft;
            } else {
                steps.incRight = (incRightTarget - incRight) / glideLength;
            }
        }
        const float frameCount = static_cast<float>(frames);
        steps.pan = (panTarget - pan) / frameCount;
        steps.volume = (effectiveVolume - volume) / frameCount;

        // Stage 4: the samples.
        RunningState state{phaseLeft, phaseRight, incLeft, incRight, {lfoPhase[0], lfoPhase[1]},
                           volume,    pan,        1.0,     beatInc};
        switch (waveShape) {
        case kWaveSine:
            RenderSamples<kWaveSine>(state, steps, inLeft, inRight, outLeft, outRight, frames,
                                     effectiveVolume);
            break;
        case kWaveGoldenSineTS:
            RenderSamples<kWaveGoldenSineTS>(state, steps, inLeft, inRight, outLeft, outRight,
                                             frames, effectiveVolume);
            break;
        case kWaveGoldenSineSG:
            RenderSamples<kWaveGoldenSineSG>(state, steps, inLeft, inRight, outLeft, outRight,
                                             frames, effectiveVolume);
            break;
        case kWaveGoldenSineGS:
            RenderSamples<kWaveGoldenSineGS>(state, steps, inLeft, inRight, outLeft, outRight,
                                             frames, effectiveVolume);
            break;
        case kWaveSineHalf:
            RenderSamples<kWaveSineHalf>(state, steps, inLeft, inRight, outLeft, outRight, frames,
                                         effectiveVolume);
            break;
        case kWaveGoldenTriangle:
            RenderSamples<kWaveGoldenTriangle>(state, steps, inLeft, inRight, outLeft, outRight,
                                               frames, effectiveVolume);
            break;
        case kWaveGoldenSquare:
            RenderSamples<kWaveGoldenSquare>(state, steps, inLeft, inRight, outLeft, outRight,
                                             frames, effectiveVolume);
            break;
        default:
            RenderSamples<kNumWaveShapes>(state, steps, inLeft, inRight, outLeft, outRight, frames,
                                          effectiveVolume);
            break;
        }
        phaseLeft = state.phaseLeft;
        phaseRight = state.phaseRight;
        incLeft = state.incLeft;
        incRight = state.incRight;
        lfoPhase[0] = state.lfoPhase[0];
        lfoPhase[1] = state.lfoPhase[1];
        volume = state.volume;
        pan = state.pan;
    }

    // Stage 5: remember the block's time; the pan ends on its target.
    lastBlockClock = nowMs;
    pan = panTarget;
}

} // namespace toneloom
