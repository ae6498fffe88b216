// The block renderer: two oscillators, their wave shapes, the binaural or
// monaural mix, the glide, volume and pan ramps, the transport gate and the
// re-alignment of the phases to the host's timeline.
#include "CLS_TONELOOM.h"

#include "ToneloomMath.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

constexpr double kBeatsPerBar = 4.0; // a "bar" for the LFO divisions is a whole note
// A pause longer than this between two blocks (a stop, a jump, a bounce)
// re-aligns the phases to the host position.
constexpr uint32_t kResyncGapMs = 500;
// Differences at or below this count as "reached" for glides and the gate.
constexpr double kReachedEpsilon = 1e-24;
constexpr float kSilentGain = 1e-24f;
constexpr double kBinauralMixGain = 0.5; // each ear takes half of each weighted side

// Phase of an oscillator that ran at `incRadPerSample` from the start of the
// timeline to `positionSamples`, in [0, 2pi) also for negative positions.
double TimelinePhase(double positionSamples, double incRadPerSample)
{
    double phase = kTwoPi * std::fmod(positionSamples * incRadPerSample * kInvTwoPi, 1.0);
    if (phase < 0.0) {
        phase += kTwoPi; // fmod keeps the sign of a position before the start
    }
    if (!(phase < kTwoPi)) {
        phase = 0.0; // -tiny + 2pi rounded up to 2pi, or no finite increment
    }
    return phase;
}

} // namespace

double CLS_TONELOOM::WaveValue(double x) const
{
    switch (waveShape) {
    case kWaveSine:
        return std::sin(x);
    case kWaveGoldenSineTS:
        return std::cos(x < splitPhase ? x * slopeLow : x * slopeHigh + offsetHigh);
    case kWaveGoldenSineSG:
    case kWaveGoldenSineGS:
        return std::sin(x - warpAmount * std::sin(x));
    case kWaveSineHalf:
        return 2.0 * std::sin(x < splitPhase ? x * slopeLow : x * slopeHigh + offsetHigh) - 1.0;
    case kWaveGoldenTriangle:
        return x < splitPhase ? x * slopeLow - 1.0 : slopeHigh - x * offsetHigh;
    case kWaveGoldenSquare:
        return x < splitPhase ? 1.0 : -1.0;
    default:
        return 0.0;
    }
}

void CLS_TONELOOM::ResyncPhases()
{
    const double position = GetSamplePosition();
    phaseLeft = TimelinePhase(position, incLeftTarget);
    phaseRight = TimelinePhase(position, incRightTarget);
    resyncRequested = false;
}

void CLS_TONELOOM::ProcessBlock(double** inputs, double** outputs, int frames)
{
    // Stage 1: host tempo and the first block's reset (now with the true sample rate).
    const double samplesPerBeat = SamplesPerBeat();
    if (!started) {
        started = true;
        OnReset();
    }
    const double barSamples = kBeatsPerBar * samplesPerBeat;
    if (barSamples != samplesPerBar) {
        samplesPerBar = barSamples;
        for (int index : {kLfo1RateDiv, kLfo2RateDiv}) {
            lastParamKeys[index] = -1; // force the tempo-synced rates to follow
            ParameterChanged(index);
        }
    }

    // Stage 2: the transport gate and the phase re-alignment.
    const float effectiveVolume =
        (playAnyway || HostTransportState() != kTransportStopped) ? volumeTarget : 0.0f;
    const uint32_t nowMs = clock->NowMs();
    if (resyncRequested || nowMs - lastBlockClock > kResyncGapMs) {
        ResyncPhases();
    }

    // Stage 3: per-sample ramps toward the targets.
    double* outLeft = outputs != nullptr ? outputs[0] : nullptr;
    double* outRight = outputs != nullptr ? outputs[1] : nullptr;
    if (frames > 0 && outLeft != nullptr && outRight != nullptr) {
        const double* inLeft = addInput && inputs != nullptr ? inputs[0] : nullptr;
        const double* inRight = addInput && inputs != nullptr ? inputs[1] : nullptr;

        double stepLeft = 0.0;
        double stepRight = 0.0;
        if (std::fabs(incLeftTarget - incLeft) > kReachedEpsilon ||
            std::fabs(incRightTarget - incRight) > kReachedEpsilon) {
            // Shorter blocks than the glide shrink the gap by (1 - frames / glide)
            // per block: close to an exponential approach.
            const double glideLength = std::max<double>(frames, glideSamples);
            const bool lfoOnBase =
                lfoTarget[0] == kTargetBaseFreq || lfoTarget[1] == kTargetBaseFreq;
            const bool lfoOnBeat =
                lfoTarget[0] == kTargetBinaural || lfoTarget[1] == kTargetBinaural;
            stepLeft = lfoOnBase ? 0.0 : (incLeftTarget - incLeft) / glideLength;
            // An LFO on "Base Freq" writes the right increment too (base plus
            // offset), so a glide step on top would shift the binaural offset.
            stepRight = lfoOnBase || lfoOnBeat ? 0.0 : (incRightTarget - incRight) / glideLength;
        }
        const float frameCount = static_cast<float>(frames);
        const float stepPan = (panTarget - pan) / frameCount;
        const float stepVolume = (effectiveVolume - volume) / frameCount;

        // Stage 4: the samples.
        for (int i = 0; i < frames; ++i) {
            const double inL = inLeft != nullptr ? inLeft[i] : 0.0;
            const double inR = inRight != nullptr ? inRight[i] : 0.0;
            if (!(effectiveVolume > kSilentGain) && !(volume > kSilentGain)) {
                // Silent: pass the input; phases, ramps and LFOs stand still.
                outLeft[i] = inL;
                outRight[i] = inR;
                continue;
            }
            if (lfoActive[0]) {
                TickLfo(0, effectiveVolume);
            }
            if (lfoActive[1]) {
                TickLfo(1, effectiveVolume);
            }
            volume += stepVolume;
            incLeft += stepLeft;
            incRight += stepRight;
            pan += stepPan;

            const double left = WaveValue(phaseLeft);
            const double right = WaveValue(phaseRight);
            const double gain = volume;
            double mixLeft;
            double mixRight;
            if (binauralMix) {
                // pan 1: own oscillator per ear; 0: both ears the average; -1: swapped.
                const double own = pan + 1.0;
                const double other = 1.0 - pan;
                mixLeft = (own * left + other * right) * gain * kBinauralMixGain;
                mixRight = (own * right + other * left) * gain * kBinauralMixGain;
            } else {
                mixLeft = (left + right) * gain; // the sum reaches 2 x 0.999
                mixRight = mixLeft;
            }
            outLeft[i] = mixLeft + inL;
            outRight[i] = mixRight + inR;

            phaseLeft += incLeft;
            WrapPhase(phaseLeft);
            phaseRight += incRight;
            WrapPhase(phaseRight);
        }
    }

    // Stage 5: remember the block's time; the pan ends on its target.
    lastBlockClock = nowMs;
    pan = panTarget;
}

} // namespace toneloom
