// Speed of the raster operations the editor leans on, each against a plain
// memcpy of the same number of bytes measured in the same run:
//   full-surface copies of the 470 x 455 background at opacity 1.0 and with
//   source alpha (as stored: opaque; and a half-transparent variant), a
//   rotated bilinear blit of the 57 x 57 knob, an opaque 470 x 455 fill, and
//   one 15-pixel line of text through the glyph cache.
// The table printed at the end gives each operation in megapixels per second
// of processor time and its time as a multiple of its memcpy's.
#include "PX_CachedFont.h"
#include "PX_Draw.h"
#include "PX_MemBitmap.h"
#include "PX_NativeFont.h"
#include "PX_Png.h"
#include "PX_SysBitmap.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace toneloom;

constexpr int kWidth = 470;  // pixels: the editor's surface
constexpr int kHeight = 455; // pixels
constexpr int kKnobSide = 57;
constexpr const char* kLabel = "Base Freq 440.00 Hz";

struct Fixture
{
    Fixture()
    {
        background.reset(LoadPngResource(nullptr, 100, nullptr));
        knob.reset(LoadPngResource(nullptr, 101, nullptr));
        translucent = std::make_unique<PX_MemBitmap>(kWidth, kHeight, 4);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                translucent->Row(y)[x] = 0x80000000u | (background->Row(y)[x] & 0xFFFFFFu);
            }
        }
        PX_FontSpec fontSpec;
        fontSpec.height = 15;
        font = std::make_unique<PX_CachedFont>();
        font->SetNativeFont(PX_CreateNativeFont(fontSpec), kPxFontOwnsNative | kPxFontPreferNative);
        font->SetTextColor(0xC8FFFFFFu); // the knob style's colour
        PX_Rect box = {0, 0, 0, 0};
        font->DrawText(nullptr, kLabel, -1, &box, kPxTextMeasure | kPxTextUseAlpha);
        labelPixels = (box.right - box.left) * font->LineHeight();
    }
    std::unique_ptr<PX_IBitmap> background, knob, translucent;
    std::unique_ptr<PX_CachedFont> font;
    PX_SysBitmap surface{kWidth, kHeight};
    int labelPixels = 0;
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void CountPixels(benchmark::State& state, long pixels)
{
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels),
                                                    benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pixels"] = static_cast<double>(pixels);
}

void Memcpy(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(state.range(0)) * 4;
    std::vector<unsigned char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    CountPixels(state, state.range(0));
}

void CopyOpaque(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        BlitRect(&f.surface, f.background.get(), 0, 0, 0, 0, kWidth, kHeight, 1.0f, kPxCopy);
        benchmark::ClobberMemory();
    }
    CountPixels(state, long{kWidth} * kHeight);
}

void CopySourceAlphaBackground(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        BlitRect(&f.surface, f.background.get(), 0, 0, 0, 0, kWidth, kHeight, 1.0f, kPxSourceAlpha);
        benchmark::ClobberMemory();
    }
    CountPixels(state, long{kWidth} * kHeight);
}

void CopySourceAlphaTranslucent(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        BlitRect(&f.surface, f.translucent.get(), 0, 0, 0, 0, kWidth, kHeight, 1.0f,
                 kPxSourceAlpha);
        benchmark::ClobberMemory();
    }
    CountPixels(state, long{kWidth} * kHeight);
}

void RotatedKnob(benchmark::State& state)
{
    Fixture& f = Shared();
    float angle = 0.0f;
    for (auto _ : state) {
        BlitRotated(&f.surface, f.knob.get(), 25, 92, kKnobSide, kKnobSide, 0, 0, kKnobSide,
                    kKnobSide, angle, false, 1.0f, kPxSourceAlpha | kPxBilinear, 0, 0);
        angle += 0.01f;
        benchmark::ClobberMemory();
    }
    CountPixels(state, long{kKnobSide} * kKnobSide);
}

void FillOpaque(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        FillArea(&f.surface, 0, 0, kWidth, kHeight, 0xFF202430u, 1.0f, kPxCopy);
        benchmark::ClobberMemory();
    }
    CountPixels(state, long{kWidth} * kHeight);
}

void TextLine(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        PX_Rect box = {20, 170, 220, 185};
        f.font->DrawText(&f.surface, kLabel, -1, &box,
                         kPxTextNoClip | kPxTextCenter | kPxTextUseAlpha);
        benchmark::ClobberMemory();
    }
    CountPixels(state, f.labelPixels);
}

// Prints, after the usual output, each operation's time over memcpy's.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            Result& result = results[run.benchmark_name()];
            result.nanoseconds = run.GetAdjustedCPUTime(); // the machine may be shared
            auto found = run.counters.find("pixels");
            result.pixels = found != run.counters.end() ? static_cast<long>(found->second) : 0;
            order.push_back(run.benchmark_name());
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-32s %10s %10s %12s\n", "operation", "pixels", "MP/s", "x memcpy");
        for (const std::string& name : order) {
            if (name.rfind("Memcpy", 0) == 0) {
                continue;
            }
            const Result& op = results[name];
            const auto base = results.find("Memcpy/" + std::to_string(op.pixels));
            const double ratio = base != results.end() && base->second.nanoseconds > 0
                                     ? op.nanoseconds / base->second.nanoseconds
                                     : 0.0;
            std::printf("%-32s %10ld %10.1f %12.2f\n", name.c_str(), op.pixels,
                        static_cast<double>(op.pixels) / op.nanoseconds * 1e3, ratio);
        }
    }

private:
    struct Result
    {
        double nanoseconds = 0.0;
        long pixels = 0;
    };
    std::map<std::string, Result> results;
    std::vector<std::string> order;
};

} // namespace

int main(int argc, char** argv)
{
    Fixture& f = Shared();
    if (f.background == nullptr || f.knob == nullptr || f.font->LineHeight() <= 0) {
        std::fprintf(stderr, "raster_bench: pictures or font missing\n");
        return 1;
    }
    for (long pixels :
         {long{kWidth} * kHeight, long{kKnobSide} * kKnobSide, static_cast<long>(f.labelPixels)}) {
        benchmark::RegisterBenchmark("Memcpy", Memcpy)->Arg(pixels);
    }
    benchmark::RegisterBenchmark("CopyOpaque", CopyOpaque);
    benchmark::RegisterBenchmark("CopySourceAlphaBackground", CopySourceAlphaBackground);
    benchmark::RegisterBenchmark("CopySourceAlphaTranslucent", CopySourceAlphaTranslucent);
    benchmark::RegisterBenchmark("RotatedKnobBilinear", RotatedKnob);
    benchmark::RegisterBenchmark("FillOpaque", FillOpaque);
    benchmark::RegisterBenchmark("TextLineCached", TextLine);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
