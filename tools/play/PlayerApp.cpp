#include "PlayerApp.h"

#include "CommandLine.h"
#include "EffectHost.h"
#include "PlayerComponentHandler.h"
#include "SystemCalls.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

using namespace Steinberg;

namespace toneloom {

namespace {

// The buffer sizes the strip offers, frames.
const int kBufferChoices[] = {32, 64, 128, 256, 512, 1024, 2048, 4096};
// A device that has not asked for a buffer for this long has stopped.
constexpr auto kStalledAfter = std::chrono::seconds(3);
// The longest wait from the window closing to the end of the fade (which
// LivePlayer keeps within 2 s and a few buffers).
constexpr auto kLongestFade = std::chrono::seconds(4);
constexpr auto kFadePoll = std::chrono::milliseconds(10);
// The player looks at the plug-in's "Fade" time this often, in ticks.
constexpr int kTicksPerPoll = 5;

} // namespace

PlayerApp::PlayerApp(EffectHost& effect, AudioDevice& audio, PlayerWindow& window,
                     PlayerAppSetup setup)
    : effect(effect), audio(audio), window(window), setup(std::move(setup)),
      player(effect, audio), strip(*this)
{
}

PlayerApp::~PlayerApp()
{
    if (view != nullptr) {
        view->release();
    }
    if (controller != nullptr) {
        controller->setComponentHandler(nullptr);
    }
    if (handler != nullptr) {
        handler->release();
    }
}

void PlayerApp::RestoreSettings()
{
    if (!setup.restoreSettings && !setup.restoreState) {
        return;
    }
    std::string warning;
    PlayerSettings read;
    if (PlayerSettingsFile::Read(&read, &warning) == PlayerSettingsFile::ReadResult::kDamaged) {
        Warn(warning);
        Note("The saved settings were unreadable: set aside", true);
        return;
    }
    // What the file holds now: a save that would write the same is skipped.
    lastSavedText = PlayerSettingsFile::Format(read);
    if (setup.restoreSettings) {
        saved.deviceName = read.deviceName;
        saved.sampleRate = read.sampleRate;
        saved.bufferFrames = read.bufferFrames;
        saved.hasPosition = read.hasPosition;
        saved.windowX = read.windowX;
        saved.windowY = read.windowY;
    }
    if (!setup.restoreState || read.pluginState.empty()) {
        return;
    }
    host::PluginInstance& instance = effect.Instance();
    std::vector<uint8_t> defaults;
    const bool haveDefaults = instance.SaveState(&defaults);
    if (instance.LoadState(read.pluginState) == kResultOk) {
        instance.HandComponentStateToController(read.pluginState);
        saved.pluginState = read.pluginState;
        return;
    }
    // A state the plug-in refuses (another plug-in's, or a damaged one):
    // whatever it set goes back, and the file goes aside.
    if (haveDefaults) {
        instance.LoadState(defaults);
        instance.HandComponentStateToController(defaults);
    }
    PlayerSettingsFile::SetAside("the plug-in could not read the saved sound", &warning);
    Warn(warning);
    Note("The saved sound was unreadable: set aside", true);
}

std::vector<std::string> PlayerApp::DeviceLabels() const
{
    std::vector<std::string> labels;
    for (const OutputDevice& d : devices) {
        const bool shared = std::count_if(devices.begin(), devices.end(), [&d](const OutputDevice& o) {
                                return o.name == d.name;
                            }) > 1;
        labels.push_back(shared ? d.name + " (" + d.hostApi + ")" : d.name);
    }
    return labels;
}

int PlayerApp::DeviceIndexOf(const std::string& label) const
{
    const std::vector<std::string> labels = DeviceLabels();
    for (size_t i = 0; i < labels.size(); ++i) {
        if (labels[i] == label) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool PlayerApp::ChooseAndOpenStream(std::string* error)
{
    devices = audio.Devices();
    OutputDevice device;
    if (!setup.device.empty()) {
        if (!audio.Find(setup.device, &device, error)) {
            return false;
        }
        deviceChosen = true;
    } else {
        const int known = saved.deviceName.empty() ? -1 : DeviceIndexOf(saved.deviceName);
        if (known >= 0) {
            device = devices[static_cast<size_t>(known)];
            deviceChosen = true;
        } else {
            if (!audio.Find("", &device, error)) {
                return false;
            }
            if (!saved.deviceName.empty()) {
                Warn("the saved output \"" + saved.deviceName +
                     "\" is not there: playing on the default output");
                Note("The saved output is not there: playing on the default", true);
            }
        }
    }
    StreamRequest request;
    request.device = device.index;
    request.sampleRate = setup.sampleRate;
    request.bufferFrames = setup.bufferFrames;
    rateChosen = setup.sampleRate != 0;
    bufferChosen = setup.bufferFrames != 0;
    const bool fromSaved = (!rateChosen && saved.sampleRate != 0) ||
                           (!bufferChosen && saved.bufferFrames != 0);
    if (!rateChosen && saved.sampleRate != 0 && deviceChosen) {
        request.sampleRate = saved.sampleRate;
        rateChosen = true;
    }
    if (!bufferChosen && saved.bufferFrames != 0) {
        request.bufferFrames = saved.bufferFrames;
        bufferChosen = true;
    }
    if (player.Open(request, setup.live, error)) {
        playing = request;
        return true;
    }
    if (!fromSaved) {
        return false;
    }
    // The device no longer takes the saved rate or buffer: its own.
    const std::string why = *error;
    request.sampleRate = setup.sampleRate;
    request.bufferFrames = setup.bufferFrames;
    rateChosen = setup.sampleRate != 0;
    bufferChosen = setup.bufferFrames != 0;
    if (!player.Open(request, setup.live, error)) {
        return false;
    }
    playing = request;
    Warn(why + "; playing at the device's own rate and buffer");
    Note("The saved rate or buffer was refused: the device's own", true);
    return true;
}

void PlayerApp::FillStripLists()
{
    const OutputDevice& current = audio.Device();
    int deviceIndex = -1;
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].index == current.index) {
            deviceIndex = static_cast<int>(i);
        }
    }
    strip.SetDevices(DeviceLabels(), deviceIndex);

    rates = audio.AcceptedRates(current);
    if (std::find(rates.begin(), rates.end(), audio.SampleRate()) == rates.end()) {
        rates.push_back(audio.SampleRate());
        std::sort(rates.begin(), rates.end());
    }
    const auto rate = std::find(rates.begin(), rates.end(), audio.SampleRate());
    strip.SetSampleRates(rates, static_cast<int>(rate - rates.begin()));

    buffers.assign(std::begin(kBufferChoices), std::end(kBufferChoices));
    if (std::find(buffers.begin(), buffers.end(), audio.BufferFrames()) == buffers.end()) {
        buffers.push_back(audio.BufferFrames());
        std::sort(buffers.begin(), buffers.end());
    }
    const auto buffer = std::find(buffers.begin(), buffers.end(), audio.BufferFrames());
    strip.SetBuffers(buffers, static_cast<int>(buffer - buffers.begin()));
}

int PlayerApp::Run()
{
    RestoreSettings();
    std::string error;
    if (!ChooseAndOpenStream(&error)) {
        return Fail(error);
    }
    controller = effect.Instance().Controller();
    if (controller == nullptr) {
        return Fail("the plug-in has no edit controller to show");
    }
    handler = new PlayerComponentHandler(player);
    controller->setComponentHandler(handler);
    ReadAllValues();
    view = controller->createView(Vst::ViewType::kEditor);
    if (view == nullptr) {
        return Fail("the plug-in offers no editor");
    }
    FillStripLists();
    strip.SetPlaying(true);
    PlayerWindow::Placement placement;
    placement.hasPosition = saved.hasPosition;
    placement.x = saved.windowX;
    placement.y = saved.windowY;
    if (!window.Open(strip, view, placement, *this, &error)) {
        return Fail(error);
    }
    ShowStatus();
    if (!player.Start(&error)) {
        window.Close();
        return Fail(error);
    }
    lastSave = std::chrono::steady_clock::now();
    lastProgress = lastSave;

    window.Run();

    // Closing: what the user left is saved first, then the window goes and
    // the tone fades out behind it.
    Save("closing");
    player.Stop();
    window.Close();
    view->release();
    view = nullptr;
    const bool lost = player.DeviceLost() ||
                      std::chrono::steady_clock::now() - lastProgress > kStalledAfter;
    const auto stopSent = std::chrono::steady_clock::now();
    while (!lost && !player.FadeHeard() && !player.Failed() &&
           std::chrono::steady_clock::now() - stopSent < kLongestFade) {
        std::this_thread::sleep_for(kFadePoll);
    }
    if (lost || !player.FadeHeard()) {
        player.Abandon();
    }
    player.Close();
    controller->setComponentHandler(nullptr);
    WriteReport();
    return 0;
}

void PlayerApp::CloseRequested()
{
    if (!closing) {
        closing = true;
        window.Quit();
    }
}

void PlayerApp::StripPlayingChanged(bool wantPlaying)
{
    if (wantPlaying) {
        player.Resume();
    } else {
        player.Pause();
    }
}

void PlayerApp::StripDeviceChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(devices.size())) {
        return;
    }
    StreamRequest request = reopenWanted ? reopenRequest : playing;
    request.device = devices[static_cast<size_t>(index)].index;
    deviceChosen = true;
    AskReopen(request);
}

void PlayerApp::StripSampleRateChosen(int hz)
{
    StreamRequest request = reopenWanted ? reopenRequest : playing;
    request.sampleRate = hz;
    rateChosen = true;
    AskReopen(request);
}

void PlayerApp::StripBufferChosen(int frames)
{
    StreamRequest request = reopenWanted ? reopenRequest : playing;
    request.bufferFrames = frames;
    bufferChosen = true;
    AskReopen(request);
}

void PlayerApp::AskReopen(const StreamRequest& request)
{
    // The strip is in the middle of its own event: the stream is reopened
    // (and the strip's lists refilled) on the next tick.
    reopenRequest = request;
    reopenWanted = true;
}

void PlayerApp::Reopen(const StreamRequest& request)
{
    std::string error;
    if (player.Reopen(request, &error)) {
        playing = request;
        note.clear();
    } else {
        // What was refused, in a few words (the full reason on stderr), and
        // back to what played before.
        std::string refused = "That output could not be opened";
        if (request.device == playing.device && request.sampleRate != playing.sampleRate) {
            refused = "The output refused " + std::to_string(request.sampleRate) + " Hz";
        } else if (request.device == playing.device) {
            refused = "The output refused " + std::to_string(request.bufferFrames) +
                      "-sample buffers";
        }
        std::string again;
        if (!player.Reopen(playing, &again)) {
            error += "; and the previous output failed too: " + again;
            refused = "No output is playing: pick another";
        }
        Warn(error);
        Note(refused, true);
    }
    lastProgress = std::chrono::steady_clock::now();
    FillStripLists();
    ShowStatus();
}

void PlayerApp::ReadAllValues()
{
    const int32 count = controller->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        Vst::ParameterInfo info{};
        if (controller->getParameterInfo(i, info) == kResultOk) {
            values[info.id] = controller->getParamNormalized(info.id);
        }
    }
}

void PlayerApp::TakeReportedValues()
{
    // The plug-in is its own controller: what process reports is already
    // what its editor shows, so the program only takes note of it.
    ParameterEdit reported;
    while (player.PopReported(&reported)) {
        values[reported.id] = reported.normalised;
    }
}

void PlayerApp::Note(const std::string& text, bool warning)
{
    note = text;
    noteIsWarning = warning;
}

void PlayerApp::ShowStatus()
{
    const std::string time = PlayTimeText(player, setup.live.seconds);
    if (time != shownTime) {
        shownTime = time;
        strip.SetTimeText(time);
    }
    std::string status = note;
    bool warning = noteIsWarning;
    if (status.empty()) {
        warning = false;
        status = PlayLineText(player, setup.labels);
        const std::string preset = PlayPresetText(player, setup.labels, setup.startPreset);
        if (status.empty()) {
            status = preset;
        }
        if (status.empty() && audio.IsOpen()) {
            char latency[64];
            std::snprintf(latency, sizeof latency, "output latency %.1f ms",
                          audio.OutputLatencySeconds() * 1000.0);
            status = latency;
        }
    }
    if (status + (warning ? "!" : "") != shownStatus) {
        shownStatus = status + (warning ? "!" : "");
        strip.SetStatusText(status, warning);
    }
}

void PlayerApp::Tick()
{
    if (closing) {
        return;
    }
    if (PlayerComponentHandler::CallsFromPlugin() > 0) {
        ++refusedCalls; // never reached: the loop ticks outside the plug-in's calls
        return;
    }
    ++ticks;
    if (InterruptExitCode() != 0) {
        CloseRequested();
        return;
    }
    if (reopenWanted) {
        reopenWanted = false;
        Reopen(reopenRequest);
    }
    TakeReportedValues();
    if ((handler->TakeRestartFlags() & Vst::kParamValuesChanged) != 0) {
        ReadAllValues();
    }
    const auto now = std::chrono::steady_clock::now();
    if (player.Buffers() != lastBuffers) {
        lastBuffers = player.Buffers();
        lastProgress = now;
    }
    if (player.DeviceLost() || now - lastProgress > kStalledAfter) {
        if (note.empty()) {
            Warn("the output device \"" + audio.Device().name + "\" stopped while playing");
            Note("The output stopped: pick another", true);
        }
    }
    if (player.Failed() && !failureShown) {
        failureShown = true;
        Warn(player.FailureText());
        Note("The plug-in stopped processing", true);
    }
    if (ticks % kTicksPerPoll == 0) {
        player.Poll();
    }
    ShowStatus();
    if (player.Stopping()) {
        // The session came to its end (its schedule, or --seconds).
        CloseRequested();
        return;
    }
    if (now - lastSave > std::chrono::seconds(kAutosaveSeconds)) {
        lastSave = now;
        Save("while playing");
    }
}

PlayerSettings PlayerApp::CurrentSettings() const
{
    PlayerSettings settings;
    effect.Instance().SaveState(&settings.pluginState);
    const std::vector<std::string> labels = DeviceLabels();
    if (deviceChosen) {
        for (size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].index == audio.Device().index) {
                settings.deviceName = labels[i];
            }
        }
    }
    settings.sampleRate = rateChosen ? audio.SampleRate() : 0;
    settings.bufferFrames = bufferChosen ? audio.BufferFrames() : 0;
    settings.hasPosition = window.Position(&settings.windowX, &settings.windowY);
    if (!settings.hasPosition) {
        settings.hasPosition = saved.hasPosition;
        settings.windowX = saved.windowX;
        settings.windowY = saved.windowY;
    }
    return settings;
}

void PlayerApp::Save(const char* when)
{
    const PlayerSettings settings = CurrentSettings();
    const std::string text = PlayerSettingsFile::Format(settings);
    if (text == lastSavedText) {
        return;
    }
    std::string error;
    if (!PlayerSettingsFile::Write(settings, &error)) {
        Warn(std::string("could not save the settings ") + when + ": " + error);
        Note("The settings could not be saved", true);
        return;
    }
    lastSavedText = text;
}

void PlayerApp::WriteReport() const
{
    // For the program's tests and benchmarks: how the plug-in used the
    // window's services, written where TONELOOM_PLAY_REPORT points.
    const char* path = std::getenv("TONELOOM_PLAY_REPORT");
    if (path == nullptr || *path == '\0') {
        return;
    }
    std::ofstream out(path);
    out << window.HostReport() << "refused-calls " << refusedCalls << "\n"
        << "dropped-edits " << handler->DroppedEdits() << "\n"
        << "underruns " << player.Underruns() << "\n"
        << "values " << values.size() << "\n";
}

} // namespace toneloom
