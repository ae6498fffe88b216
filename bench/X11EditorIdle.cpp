// What an open editor costs a Linux host: Toneloom's bundle loaded as a DAW
// loads it, its editor open in a host window on a virtual X server, the
// transport playing in real time with both LFOs moving their markers. It
// reports the time from `attached` to the first frame on screen and the CPU
// time of the UI thread (the run loop, the editor's timer and drawing) over
// the measured span, as a share of one core, and the heap the open editor
// added (from before `attached` to the end of the first second), and the
// virtual X server's CPU over the same span (its work of showing the pixels).
//
//   build/bench/bench/x11_editor_idle [SECONDS [SCALE [hidden]]]
//
// SECONDS defaults to 10; SCALE (1 to 4, default 1) is given to the view as
// the host's content scale before it is attached; "hidden" unmaps the host's
// window after the first frame, as a host hiding the editor does.
#include "HostApplication.h"
#include "HostModule.h"
#include "PluginInstance.h"
#include "ProcessDataBuilder.h"
#include "X11TestHost.h"
#include "XvfbDisplay.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include <unistd.h>

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

// CPU seconds (user and system) process `pid` has used, from /proc; 0 when
// it cannot be read.
double ProcessCpuSeconds(int pid)
{
    std::FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (file == nullptr) {
        return 0.0;
    }
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    // Fields after the command's closing parenthesis: state is the 3rd,
    // utime and stime the 14th and 15th.
    const char* after = read ? std::strrchr(line, ')') : nullptr;
    unsigned long long user = 0;
    unsigned long long system = 0;
    if (after == nullptr ||
        std::sscanf(after + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2) {
        return 0.0;
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

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
    const float scale = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 1.0f;
    const bool hide = argc > 3 && std::strcmp(argv[3], "hidden") == 0;
    const int shownWidth = static_cast<int>(std::lround(kEditorWidth * scale));
    const int shownHeight = static_cast<int>(std::lround(kEditorHeight * scale));
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

    testing::HostWindow window(0, 0, shownWidth, shownHeight);
    testing::TestRunLoop loop;
    testing::TestPlugFrame frame(&loop);
    IPtr<IPlugView> view = owned(plugin.Controller()->createView("editor"));
    if (!view) {
        std::fprintf(stderr, "x11_editor_idle: no editor view\n");
        return 1;
    }
    view->setFrame(&frame);
    if (scale != 1.0f) {
        FUnknownPtr<IPlugViewContentScaleSupport> scaling(view);
        if (!scaling || scaling->setContentScaleFactor(scale) != kResultOk) {
            std::fprintf(stderr, "x11_editor_idle: the view refused scale %g\n", scale);
            return 1;
        }
    }
    window.MoveTo(-10, -10);
    // Heap in use, the large blocks malloc maps on their own included.
    auto heapInUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return static_cast<double>(info.uordblks + info.hblkhd);
    };
    const double heapBefore = heapInUse();

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
        const int titleX = static_cast<int>(235 * scale);
        const int titleY = static_cast<int>(40 * scale);
        if (!pixels.empty() && pixels[titleY * width + titleX] != 0xFFFFFFu) {
            firstFrameMs = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now() - opening)
                               .count();
        }
    }

    std::atomic<bool> stop{false};
    std::thread audio(PlayInRealTime, plugin.Processor(), &stop);
    loop.RunFor(1000); // settle
    const double heapAdded = heapInUse() - heapBefore;
    if (hide) {
        window.Unmap();
        loop.RunFor(200);
    }
    const double cpuStart = ThreadCpuSeconds();
    const double serverStart = ProcessCpuSeconds(testing::VirtualDisplayProcess());
    const auto wallStart = std::chrono::steady_clock::now();
    loop.RunFor(seconds * 1000);
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const double serverCpu = ProcessCpuSeconds(testing::VirtualDisplayProcess()) - serverStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    stop.store(true);
    audio.join();

    view->removed();
    view->setFrame(nullptr);
    view = nullptr;
    plugin.SetActive(false);

    std::printf("editor at scale %g (%d x %d)%s\n", scale, shownWidth, shownHeight,
                hide ? ", hidden after the first frame" : "");
    std::printf("attached to first frame: %.1f ms\n", firstFrameMs);
    std::printf("heap added by the open editor: %.2f MiB\n", heapAdded / (1024.0 * 1024.0));
    std::printf(
        "UI thread over %.1f s with the transport playing: %.3f s CPU = %.2f %% of a core\n", wall,
        cpu, 100.0 * cpu / wall);
    std::printf("X server over the same span: %.3f s CPU = %.2f %% of a core\n", serverCpu,
                100.0 * serverCpu / wall);
    return 0;
}
