// Toneloom's plug-in class: two oscillators a binaural offset apart, heard one
// per ear (crossfaded by "Binaural Pan") or summed, in seven wave shapes, with
// glided frequencies, ramped volume and pan, a fade tied to the host
// transport, two LFOs and 140 factory presets.
//
// Where things live: the constructor, the change handler, OnReset and
// SetParameterFromEngine in CLS_TONELOOM.cpp; the parameter declarations in
// ToneloomParams.cpp; the block renderer, the tone's wave shapes and the
// per-sample LFO tick (TickLfo) in ToneloomRenderer.cpp; the rest of the LFOs
// (waves, rates, ranges, routing, reactions) in ToneloomLfo.cpp; the factory
// presets in ToneloomPresets.cpp; the editor's face in ToneloomEditorLayout.cpp.
//
// Units: frequencies in Hz, phases in radians kept in [0, 2pi), phase
// increments in radians per sample (2pi * Hz / sample rate), times in ms or
// samples as named, volume as a linear gain, pan -1..1.
#pragma once

#include "IEffectVST3.h"
#include "MillisecondClock.h"
#include "PX_Types.h"
#include "ToneloomEditorSeam.h"
#include "ToneloomIds.h"

#include <atomic>
#include <cstdint>

namespace toneloom {

struct StereoValue; // ToneloomMath.h

class CLS_TONELOOM : public IEffectVST3
{
public:
    // Builds the editor too; its pictures come from `module` on Windows (the
    // module's handle; null: the running program) and are embedded elsewhere.
    explicit CLS_TONELOOM(PX_Module module = nullptr);
    ~CLS_TONELOOM() override;

    // [any thread] Re-derives the sample-rate-dependent quantities, restarts
    // both LFOs and asks the next block to re-align the phases to the host
    // position. Does nothing before the first block. Takes the instance mutex.
    void OnReset() override;
    // [any thread] The change handler: turns parameter `index`'s value into
    // the engine's targets. Reacts only when the value's integer key changed
    // (Base Freq in 0.1 Hz, Binaural in 0.01 Hz, others whole units). Takes
    // the instance mutex.
    void ParameterChanged(int index) override;
    // [audio thread, instance mutex held] Renders `frames` samples into
    // outputs[0] (left) and outputs[1] (right), mixing in inputs[0..1].
    // Missing inputs count as silence; without both output channels no sample
    // is rendered (the block's other steps still happen). Allocates nothing
    // and takes no other lock.
    void ProcessBlock(double** inputs, double** outputs, int frames) override;

    // [any thread] Changes a parameter as if the user had: edit begin, the
    // value limited to the parameter's range, the editor's controls (or,
    // without an editor, SetParamFromEditor), edit end.
    void SetParameterFromEngine(int index, double plainValue);

    // Length of tempo division `division` (0 "1/32" .. 30 "32/1") in units of
    // `unit`; with unit 1/32 the length in whole notes.
    static float DivisionLength(int division, double unit);
    // The division whose LFO increment at the current tempo is closest to
    // `incRadPerSample`; -1 or 31 beyond the ends (the parameter limits them).
    int NearestDivision(double incRadPerSample) const;

    // Seams for the editor (none of them needed for sound).
    // Replaces the millisecond clock; null restores the steady clock.
    void SetMillisecondClock(MillisecondClock* newClock);
    // LFO `lfo`'s marker (0 or 1; other values give LFO 1's).
    const LfoMarkerState& LfoMarker(int lfo) const;
    // The band label's sink, or null; a new sink is given the current text.
    void SetBandLabelSink(IBandLabelSink* sink);
    // The band text last computed ("" before "Binaural" was first handled).
    const char* BandText() const { return bandText; }
    // The editor control index of the wave picture; -1 for none.
    void SetWavePictureControl(int controlIndex);
    // The flag the editor's LFO sync switches raise just before they change
    // "LFO1 Sync" / "LFO2 Sync", so that a click keeps the LFO's speed.
    // Raised on the UI thread, read and cleared by the change handler.
    std::atomic<bool>* SyncClickPendingFlag() { return &syncClickPending; }

protected:
    // The oscillators' running values (phases, increments, volume, pan and
    // the LFO phases), held in locals while a block is rendered.
    struct RunningState;

    // One LFO sample: advances LFO `lfo` and writes its target quantity into
    // `state`. `effectiveVolume` is the block's volume target after the
    // transport gate.
    struct LfoBlock; // one LFO's settings, held still for a block
    void TickLfo(int lfo, const LfoBlock& settings, double wave, float effectiveVolume,
                 RunningState& state);
    void RestartLfoPhase(int lfo);
    // After LFO `lfo`'s target changed: which LFOs run (LFO 1 wins a shared target).
    void UpdateLfoRouting(int lfo);
    // Centre and swing of LFO `lfo` from its target, depth and the target's value.
    void UpdateLfoRange(int lfo);

private:
    static constexpr int kBandTextSize = 32; // longest band text and a terminator

    // Construction, by area.
    void DeclareParameters();
    void CreateFactoryPresets();

    // Reactions of the change handler, by parameter.
    void ReactToParameter(int index, int32_t key);
    void SetWaveShape(int32_t shape);
    void ShowBandText(const char* text);
    void ReactToLfoParameter(int lfo, int offset, int32_t key);
    void SetLfoWave(int lfo, int32_t wave);
    void SetLfoSync(int lfo, int32_t key);
    void MarkParameterSeen(int index);

    // The renderer's pieces.
    struct BlockSteps;
    void ResyncPhases(int64_t positionSamples);
    // Tracks the host position across blocks of `frames` samples; gives the
    // timeline position of this block's first sample and tells whether the
    // host jumped (the block does not start where the previous one ended).
    bool FollowHostPosition(int frames, int64_t* positionSamples);
    // The sample loop, one instance per WaveShape.
    template <int Shape>
    void RenderSamples(RunningState& state, const BlockSteps& steps, const double* inLeft,
                       const double* inRight, double* outLeft, double* outRight, int frames,
                       float effectiveVolume);
    LfoBlock LfoBlockOf(int lfo) const;
    // LFO 1's wave on the left, LFO 2's on the right.
    static StereoValue LfoWaveValues(const LfoBlock (&settings)[kNumLfos],
                                     const RunningState& state);

    // Renderer state (ToneloomRenderer.cpp).
    double sampleRateCache = 0.0; // Hz the increments were computed with; 0 before the first block
    double samplesPerBar = 0.0;   // 4 beats at the host tempo, in samples; 0 without a tempo
    uint32_t glideSamples = 0;    // shortest ramp of a frequency glide, in samples
    int32_t waveShape = 0;        // WaveShape
    uint32_t lastBlockClock = 0;  // ms, clock reading at the start of the previous block
    float panTarget = 0.0f;       // -1..1
    float volumeTarget = 0.0f;    // linear gain
    float volume = 0.0f;          // linear gain, ramped
    float pan = 0.0f;             // -1..1, ramped
    float phiFraction;            // 1 / golden ratio
    float warpAmount = 0.0f;      // phase-modulation depth of shapes 2 and 3, radians
    double incLeftTarget = 0.0;   // radians per sample
    double incLeft = 0.0;
    double incRightTarget = 0.0;
    double incRight = 0.0;
    double phaseLeft = 0.0;  // radians
    double phaseRight = 0.0; // radians
    double baseInc = 0.0;    // radians per sample at "Base Freq"
    double beatInc = 0.0;    // radians per sample at "Binaural"
    // Coefficients of the warped shapes 1, 4, 5 and the split of shape 6.
    double splitPhase = 0.0; // radians
    double slopeLow = 0.0;
    double slopeHigh = 0.0;
    double offsetHigh = 0.0;
    bool started = false;
    bool binauralMix = false;
    bool playAnyway = false;
    bool addInput = false;
    bool resyncRequested = false;
    // The host position the previous block reported and the samples rendered
    // since with the transport running: together, where the next block should
    // start. In samples.
    int64_t blockPosition = 0;
    int64_t playedSincePosition = 0;
    MillisecondClock* clock;

    // LFO state, one entry per LFO (ToneloomLfo.cpp).
    int16_t lfoTarget[kNumLfos] = {};      // LfoTarget
    int16_t lfoWave[kNumLfos] = {};        // LfoWave
    bool lfoActive[kNumLfos] = {};         // ticked by the renderer
    bool lfoSync[kNumLfos] = {true, true}; // rate from a tempo division
    double lfoInc[kNumLfos] = {};          // radians per sample
    double lfoPhase[kNumLfos] = {};        // radians
    double lfoSplit[kNumLfos] = {};        // radians
    double lfoSlopeLow[kNumLfos] = {};
    double lfoUpperA[kNumLfos] = {};
    double lfoUpperB[kNumLfos] = {};
    float lfoCentre[kNumLfos] = {};           // in the target's units
    float lfoSwing[kNumLfos] = {};            // half the peak-to-peak swing
    float lfoDepth[kNumLfos] = {};            // 0..1
    float lfoStart[kNumLfos] = {};            // 0..1 of a cycle
    int16_t lfoModulatedParam[kNumLfos] = {}; // ParamIndex the target drives, or -1
    LfoMarkerState lfoMarkers[kNumLfos];
    bool lfosSyncLatch = false; // "LFO's Sync" last acted on

    // Change-handler state (CLS_TONELOOM.cpp).
    int32_t lastParamKeys[kNumParams]; // last integer key reacted to, per index
    float baseHz = 0.0f;
    float beatHz = 0.0f;
    int16_t wavePictureControl = -1;
    IBandLabelSink* bandLabel = nullptr;
    char bandText[kBandTextSize] = {};
    std::atomic<bool> syncClickPending{false};
    int16_t paramsUnseen; // indices not yet through the handler
    bool paramSeen[kNumParams] = {};
};

} // namespace toneloom
