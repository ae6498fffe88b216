// Speed of the editor's redraw on the headless platform: a full repaint of a
// 470 x 455 editor with 30 picture controls over its background, and the
// steady tick in which only the two 201 x 2 LFO markers are dirty (collect,
// draw and present), at screen scales 1, 1.5 and 2 (the argument, in percent;
// the surface is the layout times the scale). Each is also given as a
// multiple of one memcpy of the whole surface at that scale measured in the
// same run ("x_memcpy"); the goals are a full repaint within 10 and a steady
// tick within 0.5 of it.
#include "IBitmapControl.h"
#include "IEffectBase.h"
#include "IGraphicsHeadless.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace toneloom {
namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 455;
constexpr int kPictureControls = 30;

class BenchEffect : public IEffectBase
{
public:
    BenchEffect()
        : IEffectBase(0, "2-2", 1, "Bench", "", "", 0x10000, 'bnch', 'Mkr_', 0, false, false, 1)
    {
    }
    void NotifyEditBegin(int) override {}
    void NotifyEditValue(int, double) override {}
    void NotifyEditEnd(int) override {}
    int64_t GetSamplePosition() override { return 0; }
    double GetTempo() override { return 120.0; }
    void GetTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = 4;
        *denominator = 4;
    }
    void ResizeEditor(int, int) override {}
    bool SendMidi(const MidiMessage*) override { return false; }
    int HostTransportState() override { return kTransportPlaying; }
    void HostTimeInfo(ITimeInfo* info) override { *info = ITimeInfo{}; }
    bool IsRenderingOffline() override { return false; }
};

// An LFO position marker: a 6 x 2 bar somewhere along a 201 x 2 strip.
class Marker : public IControl
{
public:
    Marker(IEffectBase* plug, int left) : IControl(plug, IBox{left, 408, left + 201, 410}) {}
    bool Render(IGraphics& graphics) override
    {
        const int x = box.left + position;
        graphics.FillBox(IRgba(150, 255, 255, 255), IBox{x, 408, x + 6, 410});
        return true;
    }
    void Move()
    {
        position = (position + 7) % 196;
        MarkDirty(false);
    }

private:
    int position = 0;
};

// The editor: the product's background and pictures (ids 100 to 111) in a
// layout of the product's density, and the two markers.
struct Editor
{
    explicit Editor(float scale)
    {
        graphics = new IGraphicsHeadless(&effect, kWidth, kHeight);
        graphics->SetScale(scale);
        graphics->SetBackgroundImage(100, "img/bg.png");
        const int ids[] = {101, 102, 103, 104, 105, 106, 107, 109, 110, 111};
        const int frames[] = {1, 1, 7, 9, 1, 1, 5, 1, 1, 7};
        for (int i = 0; i < kPictureControls; ++i) {
            const int which = i % 10;
            const IImage image = graphics->FetchImage(ids[which], "", frames[which]);
            const int x = 10 + (i % 6) * 75;
            const int y = 60 + (i / 6) * 70;
            graphics->AddControl(
                new IBitmapControl(&effect, x, y, -1, image, IBlend(), which != 2 && which != 3));
        }
        markers[0] = new Marker(&effect, 22);
        markers[1] = new Marker(&effect, 246);
        graphics->AddControl(markers[0]);
        graphics->AddControl(markers[1]);
        effect.AttachEditor(graphics);
        graphics->OpenWindow(nullptr);
        graphics->Tick();
        graphics->Tick();
    }

    BenchEffect effect;
    IGraphicsHeadless* graphics = nullptr; // owned by effect
    Marker* markers[2] = {};
};

float ScaleOf(const benchmark::State& state)
{
    return static_cast<float>(state.range(0)) / 100.0f;
}

size_t SurfaceBytes(float scale)
{
    return static_cast<size_t>(std::lround(kWidth * scale)) *
           static_cast<size_t>(std::lround(kHeight * scale)) * 4;
}

// Mean seconds for one memcpy of the surface's bytes at `scale`, measured the
// way the ticks are timed.
double MemcpySeconds(float scale)
{
    static std::map<size_t, double> measured;
    const size_t bytes = SurfaceBytes(scale);
    auto found = measured.find(bytes);
    if (found != measured.end()) {
        return found->second;
    }
    const double seconds = [bytes] {
        std::vector<unsigned char> from(bytes, 1);
        std::vector<unsigned char> to(bytes, 0);
        constexpr int kRounds = 2000;
        double total = 0.0;
        for (int round = 0; round < kRounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::DoNotOptimize(to.data());
            benchmark::ClobberMemory();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            total += took.count();
        }
        return total / kRounds;
    }();
    measured[bytes] = seconds;
    return seconds;
}

template <typename Step> void TimeTicks(benchmark::State& state, Step step)
{
    double total = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        step();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        total += took.count();
    }
    const double perTick = total / static_cast<double>(state.iterations());
    state.counters["us"] = perTick * 1e6;
    state.counters["x_memcpy"] = perTick / MemcpySeconds(ScaleOf(state));
}

void BM_SurfaceMemcpy(benchmark::State& state)
{
    const size_t bytes = SurfaceBytes(ScaleOf(state));
    std::vector<unsigned char> from(bytes, 1);
    std::vector<unsigned char> to(bytes, 0);
    TimeTicks(state, [&] {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_SurfaceMemcpy)->Arg(100)->Arg(150)->Arg(200);

void BM_FullRepaint(benchmark::State& state)
{
    Editor editor(ScaleOf(state));
    TimeTicks(state, [&] {
        editor.graphics->InvalidateAll();
        editor.graphics->Tick();
    });
}
BENCHMARK(BM_FullRepaint)->Arg(100)->Arg(150)->Arg(200);

void BM_SteadyMarkerTick(benchmark::State& state)
{
    Editor editor(ScaleOf(state));
    TimeTicks(state, [&] {
        editor.markers[0]->Move();
        editor.markers[1]->Move();
        editor.graphics->Tick();
    });
}
BENCHMARK(BM_SteadyMarkerTick)->Arg(100)->Arg(150)->Arg(200);

} // namespace
} // namespace toneloom

BENCHMARK_MAIN();
