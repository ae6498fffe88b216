// What an open editor costs a Linux host: Toneloom's bundle loaded as a DAW
// loads it, its editor open in a host window on a virtual X server, the
// transport playing in real time with both LFOs moving their markers. It
// reports the time from `attached` to the first frame on screen and the CPU
// time of the UI thread (the run loop, the editor's timer and drawing) over
// the measured span, as a share of one core. The X server's own work of
// showing the pixels is not counted.
//
//   build/bench/bench/x11_editor_idle [SECONDS]   (default 10)
#include "HostApplication.h"
#include "HostModule.h"
#include "PluginInstance.h"
#include "ProcessDataBuilder.h"
#include "X11TestHost.h"
#include "XvfbDisplay.h"

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

using namespace Steinberg;
using namespace toneloom;

namespace {

constexpr double kSampleRateHz = 48000.0;
constexpr int kBlockFrames = 512;
constexpr int kEditorWidth = 470;
constexpr int kEditorHeight = 455;
// Both LFOs on, one on "Base Freq" and one on "Binaural", running fast
// enough that the markers move every frame.
struct Setting
{
    Vst::ParamID id;
    double normalised;
};
constexpr Setting kLfoSettings[] = {
    {8, 0.25},  // LFO1 Target: Base Freq
    {15, 0.5},  // LFO2 Target: Binaural
    {10, 0.0},  // LFO1 Sync: No (milliseconds)
    {17, 0.0},  // LFO2 Sync: No
    {13, 0.5},  // LFO1 Depth
    {20, 0.5},  // LFO2 Depth
    {12, 0.05}, // LFO1 Rate (ms)
    {19, 0.08}, // LFO2 Rate (ms)
};

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processes blocks in real time with the transport playing until told to stop.
void PlayInRealTime(Vst::IAudioProcessor* processor, std::atomic<bool>* stop)
{
    host::ProcessDataBuilder data({2}, {2}, kBlockFrames, Vst::kSample32, kSampleRateHz);
    data.SetPlaying(true);
    for (const Setting& setting : kLfoSettings) { // as automation in the first block
        data.Changes().Add(setting.id, 0, setting.normalised);
    }
    const auto period = std::chrono::duration<double>(kBlockFrames / kSampleRateHz);
    auto next = std::chrono::steady_clock::now();
    while (!stop->load()) {
        processor->process(data.Block(kBlockFrames));
        data.Advance(kBlockFrames);
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
        std::this_thread::sleep_until(next);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::string error;
    if (!testing::EnsureVirtualDisplay(&error)) {
        std::fprintf(stderr, "x11_editor_idle: %s\n", error.c_str());
        return 1;
    }
    host::HostModule module;
    if (!module.Load(TONELOOM_BUNDLE_DIR)) {
        std::fprintf(stderr, "x11_editor_idle: %s\n", module.Error().c_str());
        return 1;
    }
    TUID classId = {};
    module.FindClass(kVstAudioEffectClass, classId);
    host::PluginInstance plugin(module.Factory(), classId);
    IPtr<host::HostApplication> application = owned(new host::HostApplication("Bench Host"));
    if (!plugin.Valid() || plugin.Initialize(application->unknownCast()) != kResultOk) {
        std::fprintf(stderr, "x11_editor_idle: the plug-in did not start\n");
        return 1;
    }
    plugin.ActivateDefaultBuses();
    plugin.Setup(kSampleRateHz, kBlockFrames);
    plugin.SetActive(true);

    testing::HostWindow window(20, 20, kEditorWidth, kEditorHeight);
    testing::TestRunLoop loop;
    testing::TestPlugFrame frame(&loop);
    IPtr<IPlugView> view = owned(plugin.Controller()->createView("editor"));
    if (!view) {
        std::fprintf(stderr, "x11_editor_idle: no editor view\n");
        return 1;
    }
    view->setFrame(&frame);
    window.MoveTo(-10, -10);

    // attached -> first frame: until the title plate is no longer the host's
    // white background.
    const auto opening = std::chrono::steady_clock::now();
    if (view->attached(window.Parent(), kPlatformTypeX11EmbedWindowID) != kResultOk) {
        std::fprintf(stderr, "x11_editor_idle: attached failed\n");
        return 1;
    }
    double firstFrameMs = -1.0;
    for (int slice = 0; slice < 2000 && firstFrameMs < 0.0; ++slice) {
        loop.RunFor(1);
        int width = 0;
        int height = 0;
        const std::vector<uint32_t> pixels = window.Capture(&width, &height);
        if (!pixels.empty() && pixels[40 * width + 235] != 0xFFFFFFu) {
            firstFrameMs = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now() - opening)
                               .count();
        }
    }

    std::atomic<bool> stop{false};
    std::thread audio(PlayInRealTime, plugin.Processor(), &stop);
    loop.RunFor(500); // settle
    const double cpuStart = ThreadCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    loop.RunFor(seconds * 1000);
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    stop.store(true);
    audio.join();

    view->removed();
    view->setFrame(nullptr);
    view = nullptr;
    plugin.SetActive(false);

    std::printf("attached to first frame: %.1f ms\n", firstFrameMs);
    std::printf(
        "UI thread over %.1f s with the transport playing: %.3f s CPU = %.2f %% of a core\n", wall,
        cpu, 100.0 * cpu / wall);
    return 0;
}
