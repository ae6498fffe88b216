// A host for CLS_TONELOOM in tests: the binding operations (tempo, transport,
// position, edit notifications) become settable fields, the millisecond clock
// is a fake one, and Rig initialises the plug-in as the VST 3 binding does and
// renders through the base's channel lines.
#pragma once

#include "CLS_TONELOOM.h"

#include <cstdint>
#include <string>
#include <vector>

namespace toneloom::testing {

class FakeClock : public MillisecondClock
{
public:
    uint32_t NowMs() override { return nowMs; }
    uint32_t nowMs = 1000;
};

struct EditEvent
{
    enum Kind
    {
        kBegin,
        kValue,
        kEnd
    };
    Kind kind;
    int index;
    double normalised; // kValue only
};

class TestToneloom : public CLS_TONELOOM
{
public:
    void NotifyEditBegin(int index) override { edits.push_back({EditEvent::kBegin, index, 0.0}); }
    void NotifyEditValue(int index, double normalised) override
    {
        edits.push_back({EditEvent::kValue, index, normalised});
    }
    void NotifyEditEnd(int index) override { edits.push_back({EditEvent::kEnd, index, 0.0}); }
    int64_t GetSamplePosition() override { return positionSamples; }
    double GetTempo() override { return tempoBpm; }
    void GetTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = 4;
        *denominator = 4;
    }
    void ResizeEditor(int, int) override {}
    bool SendMidi(const MidiMessage*) override { return false; }
    int HostTransportState() override { return transport; }
    void HostTimeInfo(ITimeInfo* info) override
    {
        info->tempoBpm = tempoBpm;
        info->samplePosition = static_cast<double>(positionSamples);
        info->playing = transport != kTransportStopped;
    }
    bool IsRenderingOffline() override { return offline; }

    void UseSampleRate(double hz) { SetSampleRate(hz); }

    double tempoBpm = 120.0;
    int transport = kTransportPlaying;
    bool offline = false;        // the host renders offline (a bounce) rather than in real time
    int64_t positionSamples = 0; // samples since the project start
    std::vector<EditEvent> edits;
};

// Two channels of samples.
struct Stereo
{
    std::vector<double> left;
    std::vector<double> right;
    int Frames() const { return static_cast<int>(left.size()); }
};

class Rig
{
public:
    // Initialises like the host: every parameter through the handler in
    // index order, then the sample rate, the block size and the reset.
    explicit Rig(double sampleRateHz = 48000.0, int maxBlockFrames = 4096);
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Sets a parameter's plain value as host automation does, and handles it.
    void Set(int index, double plain);
    double Value(int index) const { return fx.ParamAt(index)->Value(); }

    // Renders `frames` samples in blocks of `blockFrames` with silent input
    // (or `input`, which must hold at least `frames` samples). The host
    // position advances while the transport runs; the clock advances by each
    // block's duration.
    Stereo Render(int frames, int blockFrames = 512, const Stereo* input = nullptr);
    // Renders one host block of `frames` samples in pieces of `pieceFrames`, as
    // the binding does with a block longer than the negotiated maximum: every
    // piece sees the position at which the host block starts.
    Stereo RenderHostBlock(int frames, int pieceFrames);
    void AdvanceClockMs(uint32_t ms) { clock.nowMs += ms; }
    // The clock reading at the start of the last block rendered.
    uint32_t LastBlockStartMs() const { return lastBlockStartMs; }
    double SampleRate() const { return sampleRate; }

    // A plain tone for measuring: "Sine", binaural mode with each oscillator
    // in its own ear, "Volume" 100 %, the shortest "Fade", "Play Anyway" on.
    void UsePlainSine();

    FakeClock clock;
    TestToneloom fx;

private:
    // Renders [done, done + frames) of `out` as one call of the base.
    void RenderPiece(Stereo& out, int done, int frames, const Stereo* input);
    void AdvanceClock(int frames);

    double sampleRate;
    int maxBlock;
    std::vector<double> silence; // maxBlock samples of silent input
    double clockRemainderMs = 0.0;
    uint32_t lastBlockStartMs = 0;
};

// Counts heap allocations made by this thread while enabled.
struct AllocationCounter
{
    static void Start();
    static long Stop(); // allocations since Start
};

} // namespace toneloom::testing
