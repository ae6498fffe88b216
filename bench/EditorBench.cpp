// What a host pays for each Toneloom instance now that every instance builds
// its editor: the time from the factory's createInstance until initialize has
// returned, for the module's first instance (pictures decoded, fonts found)
// and for later ones, and the heap each instance keeps while no editor window
// is open. Runs the built bundle as a host does:
//   build/bench/bench/editor_bench
#include "HostApplication.h"
#include "HostModule.h"
#include "PluginInstance.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace toneloom;

// The module, loaded once for the whole run.
host::HostModule& Module()
{
    static host::HostModule module;
    static const bool loaded = [] {
        if (!module.Load(TONELOOM_BUNDLE_PATH)) {
            std::fprintf(stderr, "cannot load %s: %s\n", TONELOOM_BUNDLE_PATH,
                         module.Error().c_str());
            return false;
        }
        return true;
    }();
    (void)loaded;
    return module;
}

host::HostApplication& Application()
{
    static host::HostApplication application("editor_bench");
    return application;
}

// createInstance, then initialize, as a host does on inserting the plug-in.
std::unique_ptr<host::PluginInstance> NewInitialisedInstance()
{
    Steinberg::TUID classId{};
    if (!Module().FindClass(kVstAudioEffectClass, classId)) {
        return nullptr;
    }
    auto instance = std::make_unique<host::PluginInstance>(Module().Factory(), classId);
    if (!instance->Valid() ||
        instance->Initialize(Application().unknownCast()) != Steinberg::kResultOk) {
        return nullptr;
    }
    return instance;
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// The first instance of the module: registered first, run once.
void FirstInstance(benchmark::State& state)
{
    Module();
    for (auto _ : state) {
        auto instance = NewInitialisedInstance();
        benchmark::DoNotOptimize(instance.get());
        if (!instance) {
            state.SkipWithError("no instance");
            return;
        }
        state.PauseTiming();
        instance.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

void LaterInstance(benchmark::State& state)
{
    auto warm = NewInitialisedInstance();
    for (auto _ : state) {
        auto instance = NewInitialisedInstance();
        benchmark::DoNotOptimize(instance.get());
        state.PauseTiming();
        instance.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(LaterInstance)->Unit(benchmark::kMillisecond);

// Heap held by each instance, editor closed: instances kept side by side.
void HeapPerInstance(benchmark::State& state)
{
    constexpr int kInstances = 16;
    auto warm = NewInitialisedInstance();
    double perInstance = 0.0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<host::PluginInstance>> kept;
        const size_t before = HeapInUse();
        for (int i = 0; i < kInstances; ++i) {
            kept.push_back(NewInitialisedInstance());
        }
        perInstance = double(HeapInUse() - before) / kInstances;
        state.PauseTiming();
        kept.clear();
        state.ResumeTiming();
    }
    state.counters["heap_per_instance_KiB"] = perInstance / 1024.0;
}
BENCHMARK(HeapPerInstance)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
