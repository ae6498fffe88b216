// Rendering speed of CLS_TONELOOM at 48 kHz in blocks of 512 samples, as a
// host drives it: the instance mutex taken per block, both channels written.
// Reports frames per second (items), the time per frame and the real-time
// factor (seconds of audio rendered per second of processor time, shown with
// a "/s" unit by the library).
#include "CLS_TONELOOM.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace toneloom;

constexpr double kSampleRateHz = 48000.0;
constexpr int kBlockFrames = 512;

// The plug-in with a playing host at 120 BPM.
class BenchToneloom : public CLS_TONELOOM
{
public:
    BenchToneloom()
    {
        for (int i = 0; i < kNumParams; ++i) {
            ParameterChanged(i);
        }
        SetSampleRate(kSampleRateHz);
        ChangeBlockSize(kBlockFrames);
        OnReset();
    }
    void Set(int index, double plain)
    {
        InstanceLock lock(Mutex());
        ParamAt(index)->SetPlain(ParamAt(index)->Limited(plain));
        ParameterChanged(index);
    }
    void NotifyEditBegin(int) override {}
    void NotifyEditValue(int, double) override {}
    void NotifyEditEnd(int) override {}
    int64_t GetSamplePosition() override { return positionSamples; }
    double GetTempo() override { return 120.0; }
    void GetTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = 4;
        *denominator = 4;
    }
    int HostTransportState() override { return kTransportPlaying; }
    int64_t positionSamples = 0; // samples
};

void Render(benchmark::State& state, BenchToneloom& fx)
{
    std::vector<double> in(kBlockFrames, 0.0);
    std::vector<double> left(kBlockFrames);
    std::vector<double> right(kBlockFrames);
    double* ins[2] = {in.data(), in.data()};
    double* outs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        IEffectBase::InstanceLock lock(fx.Mutex());
        fx.ProcessBlock(ins, outs, kBlockFrames);
        fx.positionSamples += kBlockFrames;
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * kBlockFrames;
    state.SetItemsProcessed(static_cast<int64_t>(frames));
    // Seconds per frame, printed with its SI prefix (e.g. "16ns").
    state.counters["time_per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] =
        benchmark::Counter(frames / kSampleRateHz, benchmark::Counter::kIsRate);
}

// The default preset: "Golden Sine TS", binaural, no LFO (transport playing).
void BM_DefaultPreset(benchmark::State& state)
{
    BenchToneloom fx;
    fx.LoadPreset(0);
    Render(state, fx);
}
BENCHMARK(BM_DefaultPreset);

// Each tone wave shape, with "Play Anyway" on and no LFO.
void BM_WaveShape(benchmark::State& state)
{
    BenchToneloom fx;
    fx.Set(kPlayAnyway, 1);
    fx.Set(kWave, static_cast<double>(state.range(0)));
    state.SetLabel(fx.ParamAt(kWave)->ValueTextFor(static_cast<int>(state.range(0))));
    Render(state, fx);
}
BENCHMARK(BM_WaveShape)->DenseRange(kWaveSine, kWaveGoldenSquare);

// Both LFOs running: LFO 1 swings the base frequency with a golden sine,
// LFO 2 the volume with a golden half sine, both synced to the tempo.
void BM_BothLfos(benchmark::State& state)
{
    BenchToneloom fx;
    fx.Set(kLfo1Wave, kLfoGoldenSine);
    fx.Set(kLfo1Depth, 30);
    fx.Set(kLfo1RateDiv, 21);
    fx.Set(kLfo1Target, kTargetBaseFreq);
    fx.Set(kLfo2Wave, kLfoGoldenHalf);
    fx.Set(kLfo2RateDiv, 18);
    fx.Set(kLfo2Target, kTargetVolume);
    Render(state, fx);
}
BENCHMARK(BM_BothLfos);

} // namespace

BENCHMARK_MAIN();
