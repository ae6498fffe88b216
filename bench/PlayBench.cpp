// What the live player's audio callback costs: one device buffer of the
// plug-in driven along a timeline (TimelineDriver::Process, the callback's
// whole work besides handing the samples over), with both LFOs on, at 64,
// 256 and 1024 frames and 48 kHz. "load_pct" is the CPU time per buffer as a
// share of the buffer's duration, in percent.
#include "RenderSession.h"
#include "TimelineDriver.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace toneloom;

constexpr int kRate = 48000; // Hz

void CallbackLoad(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    RenderSession session;
    std::string error;
    if (!session.Open(TONELOOM_BUNDLE_PATH, kRate, frames, &error, "toneloom-play bench",
                      Steinberg::Vst::kRealtime) ||
        !session.ApplyPresetAndSettings("", {"LFO1 Target=Volume", "LFO2 Target=Binaural"},
                                        &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    TimelineDriver driver(session.Effect(), TimelineDriver::ScheduleClock::kFollowsTransport);
    driver.Prepare(nullptr, 120.0, &error);
    std::vector<float> buffer(static_cast<size_t>(frames) * 2);
    for (auto _ : state) {
        driver.Process(frames, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    // A rate of buffer-seconds per CPU second, inverted: CPU time per second
    // of audio; scaled to percent.
    constexpr double kPercent = 100.0;
    const double bufferSeconds = double(frames) / kRate;
    state.counters["load_pct"] =
        benchmark::Counter(double(state.iterations()) * bufferSeconds / kPercent,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(CallbackLoad)->Arg(64)->Arg(256)->Arg(1024);

} // namespace

BENCHMARK_MAIN();
