// toneloom-play: plays Toneloom live through a sound card, loading the
// module exactly as toneloom-render does and driving it as a DAW does, with
// the same presets, settings and session schedules.
#include "AudioDevice.h"
#include "CommandLine.h"
#include "ConsoleAttach.h"
#include "JsonText.h"
#include "LivePlayer.h"
#include "PlayerApp.h"
#include "PlayerWindow.h"
#include "PlayStatus.h"
#include "RenderSession.h"
#include "SessionOptions.h"
#include "SystemCalls.h"
#include "ToneloomVersion.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace toneloom;

// The sample rate and block size the effect starts at, before the stream
// sets them (Hz, frames).
constexpr int kFirstSampleRate = 48000;
constexpr int kFirstBlockFrames = 512;
// How often the main thread looks at the player, and redraws the status.
constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr int kPollsPerStatus = 10;
// A device that has not asked for a buffer for this long has stopped.
constexpr auto kStalledAfter = std::chrono::seconds(3);
// The longest wait from a stop to the end of the fade (which LivePlayer keeps
// within 2 s and a few buffers).
constexpr auto kLongestStop = std::chrono::seconds(4);
constexpr double kMsPerSecond = 1000.0;

struct Options
{
    SessionOptions session; // --plugin, --preset, --preset-file, --set, --schedule, --tempo
    double seconds = 0.0;   // 0: until stopped, or the schedule's length
    bool secondsGiven = false;
    bool listDevices = false;
    bool json = false;
    std::string device;
    int sampleRate = 0;   // Hz; 0: the device's own
    int bufferFrames = 0; // 0: a low-latency size the device takes
    bool quiet = false;
    bool noWindow = false;
    bool fresh = false;
};

int ListDevices(const AudioDevice& audio, bool json)
{
    const std::vector<OutputDevice> devices = audio.Devices();
    if (json) {
        std::string list = "[";
        for (size_t i = 0; i < devices.size(); ++i) {
            const OutputDevice& d = devices[i];
            list += (i == 0 ? "\n" : ",\n") + std::string("  {\"index\": ") +
                    std::to_string(d.index) + ", \"name\": " + JsonQuoted(d.name) +
                    ", \"hostApi\": " + JsonQuoted(d.hostApi) +
                    ", \"channels\": " + std::to_string(d.channels) +
                    ", \"defaultSampleRate\": " + std::to_string(std::lround(d.defaultSampleRate)) +
                    ", \"default\": " + (d.isDefault ? "true" : "false") + "}";
        }
        std::fputs((list + (devices.empty() ? "]\n" : "\n]\n")).c_str(), stdout);
        return 0;
    }
    if (devices.empty()) {
        std::fputs("no output devices\n", stderr);
        return 0;
    }
    for (const OutputDevice& d : devices) {
        std::printf("%3d %c %s  (%s, %d channels, %ld Hz)\n", d.index, d.isDefault ? '*' : ' ',
                    d.name.c_str(), d.hostApi.c_str(), d.channels,
                    std::lround(d.defaultSampleRate));
    }
    return 0;
}

// One status line on the terminal: "0:12 / 5:00  line 3: ...  preset".
class StatusLine
{
public:
    explicit StatusLine(bool enabled) : enabled(enabled) {}
    void Show(const std::string& text)
    {
        if (!enabled) {
            return;
        }
        std::fprintf(stderr, "\r%s\033[K", text.c_str());
        std::fflush(stderr);
        shown = true;
    }
    void Clear()
    {
        if (shown) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
        }
        shown = false;
    }

private:
    bool enabled;
    bool shown = false;
};

std::string StatusText(const LivePlayer& player, double totalSeconds, const LineLabels& labels,
                       const std::string& startPreset)
{
    std::string text = PlayTimeText(player, totalSeconds);
    const std::string line = PlayLineText(player, labels);
    if (!line.empty()) {
        text += "  " + line;
    }
    const std::string preset = PlayPresetText(player, labels, startPreset);
    if (!preset.empty()) {
        text += "  [" + preset + "]";
    }
    if (player.Stopping()) {
        text += "  stopping";
    }
    return text;
}

// Plays until the session ends or an interrupt comes, then waits for the
// fade. The exit code.
int Play(LivePlayer& player, AudioDevice& audio, const Options& options, const LineLabels& labels,
         const std::string& startPreset)
{
    using Clock = std::chrono::steady_clock;
    StatusLine status(!options.quiet && StderrIsTerminal());
    Clock::time_point stopSent{};
    bool stopping = false;
    uint64_t lastBuffers = 0;
    Clock::time_point lastProgress = Clock::now();
    for (int poll = 0;; ++poll) {
        std::this_thread::sleep_for(kPollInterval);
        const Clock::time_point now = Clock::now();
        if (InterruptExitCode() != 0 && !stopping) {
            player.Stop();
        }
        if (player.Stopping() && !stopping) {
            stopping = true;
            stopSent = now;
        }
        if (player.FadeHeard()) {
            break;
        }
        if (player.Failed()) {
            status.Clear();
            return Fail(player.FailureText());
        }
        if (player.Buffers() != lastBuffers) {
            lastBuffers = player.Buffers();
            lastProgress = now;
        }
        // A device that stopped calling back, or one that went away.
        if (player.DeviceLost() || now - lastProgress > kStalledAfter) {
            player.Abandon();
            status.Clear();
            return Fail("the output device \"" + audio.Device().name + "\" stopped while playing");
        }
        if (stopping && now - stopSent > kLongestStop) {
            // The fade never came to an end: the device is stuck.
            player.Abandon();
            break;
        }
        if (poll % kPollsPerStatus == 0) {
            player.Poll();
            status.Show(StatusText(player, options.seconds, labels, startPreset));
        }
    }
    const double elapsed = player.ElapsedSeconds();
    player.Close();
    status.Clear();
    if (!options.quiet) {
        std::printf("played %s; underruns: %llu\n", FormatScheduleTime(elapsed).c_str(),
                    static_cast<unsigned long long>(player.Underruns()));
    }
    return InterruptExitCode();
}

} // namespace

int main(int argc, char** argv)
{
    AttachParentConsole();
    SetProgramName("toneloom-play");
    Options options;
    CLI::App app{"Plays Toneloom live on a sound card through the VST 3 plug-in, with a preset, "
                 "settings and a session schedule.",
                 "toneloom-play"};
    AddSessionOptions(app, &options.session,
                      "A .vstpreset file saved by a DAW (or by toneloom-render) to start from",
                      "A session file of timed changes and ramps, played as it goes");
    CLI::Option* secondsOption =
        app.add_option("--seconds", options.seconds,
                       "How long to play (default: the time of a schedule's last line, else "
                       "until Ctrl-C)")
            ->check(CLI::Range(0.001, 86400.0));
    app.add_flag("--list-devices", options.listDevices, "List the output devices and exit");
    app.add_flag("--json", options.json, "With --list-devices: print JSON");
    app.add_option("--device", options.device,
                   "The output device: its number or name from --list-devices, or a part of "
                   "the name (default: the system's default output)");
    app.add_option("--sample-rate", options.sampleRate, "Hz (default: the device's own)")
        ->check(CLI::Range(8000, 384000));
    app.add_option("--buffer", options.bufferFrames,
                   "Frames per buffer, " + std::to_string(AudioDevice::kMinBufferFrames) + " to " +
                       std::to_string(AudioDevice::kMaxBufferFrames) +
                       " (default: a low-latency size the device takes)");
    app.add_flag("--quiet", options.quiet, "Print only errors");
    app.add_flag("--no-window", options.noWindow,
                 "Play in the terminal, without the window (the default when there is no "
                 "display)");
    app.add_flag("--fresh", options.fresh,
                 "Start the window from the defaults instead of what it saved last time");
    app.set_version_flag("--version", std::string("toneloom-play ") + TONELOOM_VERSION_STRING,
                         "Print the version and exit");
    int exitCode = 0;
    if (!ParseCommandLine(app, argc, argv, &exitCode)) {
        return exitCode;
    }
    options.secondsGiven = secondsOption->count() > 0;
    if (options.json && !options.listDevices) {
        return Fail("--json goes with --list-devices", kExitUsage);
    }
    if (options.bufferFrames != 0 && (options.bufferFrames < AudioDevice::kMinBufferFrames ||
                                      options.bufferFrames > AudioDevice::kMaxBufferFrames)) {
        return Fail("--buffer " + std::to_string(options.bufferFrames) + " is out of range (" +
                        std::to_string(AudioDevice::kMinBufferFrames) + " to " +
                        std::to_string(AudioDevice::kMaxBufferFrames) + " frames)",
                    kExitUsage);
    }

    AudioDevice audio;
    if (!audio.Ready()) {
        return Fail(audio.InitError());
    }
    if (options.listDevices) {
        return ListDevices(audio, options.json);
    }
    std::string error;
    OutputDevice device;
    if (!audio.Find(options.device, &device, &error)) {
        return Fail(error);
    }

    // Everything about the plug-in and the session is checked before any
    // sound.
    const std::string plugin = SessionBundle(options.session, &error);
    if (plugin.empty()) {
        return Fail(error);
    }
    RenderSession session;
    if (!session.Open(plugin, kFirstSampleRate, kFirstBlockFrames, &error, "toneloom-play",
                      Steinberg::Vst::kRealtime)) {
        return Fail(error);
    }
    Schedule schedule;
    int code = 0;
    if (!LoadSessionSchedule(session, options.session, kFirstSampleRate, options.secondsGiven,
                             &options.seconds, &schedule, &error, &code)) {
        return Fail(error, code);
    }
    if (!ApplySessionStart(session, options.session, &error)) {
        return Fail(error);
    }
    std::string startPreset = options.session.presetFile;
    int slot = 0;
    if (!options.session.preset.empty() &&
        session.FindPreset(options.session.preset, &slot, &error)) {
        startPreset = session.PresetNames()[static_cast<size_t>(slot)];
    }
    const LineLabels labels = LabelLines(schedule, session.PresetNames(), startPreset);

    // The window, where a display allows one.
    std::unique_ptr<PlayerWindow> window;
    if (!options.noWindow) {
        std::string reason;
        window = PlayerWindow::Create(&reason);
        if (!window) {
            Warn(reason + "; playing in the terminal");
        }
    }

    // From here on Ctrl-C and SIGTERM stop the transport; the fade-out is
    // heard before the program ends.
    InstallInterruptHandlers();
    if (window) {
        PlayerAppSetup setup;
        setup.live.schedule = options.session.schedule.empty() ? nullptr : &schedule;
        setup.live.tempoBpm = options.session.tempo;
        setup.live.seconds = options.seconds;
        setup.labels = labels;
        setup.startPreset = startPreset;
        setup.device = options.device;
        setup.sampleRate = options.sampleRate;
        setup.bufferFrames = options.bufferFrames;
        setup.restoreSettings = !options.fresh;
        setup.restoreState = !options.fresh && options.session.preset.empty() &&
                             options.session.presetFile.empty() &&
                             options.session.settings.empty();
        PlayerApp windowed(session.Effect(), audio, *window, std::move(setup));
        return windowed.Run();
    }
    LivePlayer player(session.Effect(), audio);
    LiveSession live;
    live.schedule = options.session.schedule.empty() ? nullptr : &schedule;
    live.tempoBpm = options.session.tempo;
    live.seconds = options.seconds;
    StreamRequest request;
    request.device = device.index;
    request.sampleRate = options.sampleRate;
    request.bufferFrames = options.bufferFrames;
    if (!player.Open(request, live, &error)) {
        return Fail(error);
    }
    if (!options.quiet) {
        std::printf("playing on \"%s\" (%s): %d Hz, %d-frame buffers, output latency %.1f ms\n",
                    audio.Device().name.c_str(), audio.Device().hostApi.c_str(), audio.SampleRate(),
                    audio.BufferFrames(), audio.OutputLatencySeconds() * kMsPerSecond);
        std::fflush(stdout);
    }
    if (!player.Start(&error)) {
        return Fail(error);
    }
    return Play(player, audio, options, labels, startPreset);
}
