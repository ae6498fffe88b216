// What the VST 3 boundary costs Toneloom: the process call for a 64-sample
// block as a host makes it, the same with a program change in every block
// (whose values go back to the host as output parameter changes), and how
// long a 64-sample process call waits while the UI thread loads a 1 MiB
// state stream from a host whose stream takes about 1 us per read (8 ms for
// the whole stream, as measured with a real host).
#include "CLS_TONELOOM.h"
#include "ProcessDataBuilder.h"
#include "Vst3Ids.h"

#include "public.sdk/source/common/memorystream.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using toneloom::CLS_TONELOOM;

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;              // samples, 1.3 ms at 48 kHz
constexpr int32 kStreamBytes = 1 << 20; // the most setState reads
constexpr int kPresetsToAlternate[] = {20, 100};

struct Plugin
{
    Plugin()
    {
        fx->initialize(nullptr);
        for (BusDirection dir : {BusDirection(kInput), BusDirection(kOutput)}) {
            for (int32 i = 0; i < fx->getBusCount(kAudio, dir); ++i) {
                fx->activateBus(kAudio, dir, i, true);
            }
        }
        ProcessSetup setup{kRealtime, kSample32, kBlock, kRate};
        fx->setupProcessing(setup);
        fx->setActive(true);
        data.SetPlaying(true);
    }
    ~Plugin()
    {
        fx->setActive(false);
        fx->terminate();
    }
    void Process()
    {
        fx->process(data.Block(kBlock));
        data.Advance(kBlock);
    }

    IPtr<CLS_TONELOOM> fx = owned(new CLS_TONELOOM());
    toneloom::host::ProcessDataBuilder data{{2}, {2}, kBlock, kSample32, kRate};
};

void ProcessBlock(benchmark::State& state)
{
    Plugin plugin;
    for (auto _ : state) {
        plugin.Process();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(ProcessBlock);

void ProcessBlockWithProgramChange(benchmark::State& state)
{
    Plugin plugin;
    int block = 0;
    for (auto _ : state) {
        const int slot = kPresetsToAlternate[block++ % 2];
        plugin.data.Changes().Add(toneloom::kPresetParamId, 0, slot / 149.0);
        plugin.Process();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(ProcessBlockWithProgramChange);

// A host stream that spends about `kReadMicroseconds` in every read.
class SlowStream : public MemoryStream
{
public:
    static constexpr double kReadMicroseconds = 1.0;

    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::duration<double, std::micro>(kReadMicroseconds);
        while (std::chrono::steady_clock::now() < until) {
        }
        return MemoryStream::read(buffer, numBytes, numBytesRead);
    }
};

// The longest and the mean process call while another thread loads state
// from a 1 MiB stream over and over, in microseconds, and how many calls took
// longer than the block lasts (1333 us).
void ProcessWhileStateLoads(benchmark::State& state)
{
    Plugin plugin;
    SlowStream saved;
    static_cast<IComponent*>(plugin.fx.get())->getState(&saved);
    std::vector<char> junk(static_cast<size_t>(kStreamBytes) - saved.getSize(), 0);
    int32 written = 0;
    saved.write(junk.data(), static_cast<int32>(junk.size()), &written);

    std::atomic<bool> stop{false};
    std::thread ui([&] {
        while (!stop) {
            saved.seek(0, IBStream::kIBSeekSet, nullptr);
            static_cast<IComponent*>(plugin.fx.get())->setState(&saved);
        }
    });
    double longestUs = 0.0;
    double totalUs = 0.0;
    int overBudget = 0; // calls longer than a 64-sample block lasts
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        plugin.Process();
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        longestUs = std::max(longestUs, took.count());
        totalUs += took.count();
        overBudget += took.count() > kBlock / kRate * 1e6 ? 1 : 0;
    }
    stop = true;
    ui.join();
    state.counters["longest_us"] = longestUs;
    state.counters["mean_us"] = totalUs / static_cast<double>(state.iterations());
    state.counters["over_block"] = overBudget;
}
BENCHMARK(ProcessWhileStateLoads)->Iterations(20000)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
