// The tools' host of the bundle (the renderer's and the live player's): loads a VST 3 module as a
// DAW does, creates and initialises its effect, and drives it block by block. Program changes and
// parameter settings travel in process calls, as a host's automation does.
#pragma once

#include "AudioFileWriter.h"
#include "EffectHost.h"
#include "ParameterCatalogue.h"
#include "ProgressBar.h"
#include "Schedule.h"

#include "HostModule.h"

#include <string>
#include <vector>

namespace toneloom {

struct RenderTimeline
{
    double seconds = 30.0;
    double tempoBpm = 120.0;
    bool playing = true;
    // Changes played during the render, or none.
    const Schedule* schedule = nullptr;
};

class RenderSession
{
public:
    RenderSession();
    ~RenderSession();
    RenderSession(const RenderSession&) = delete;
    RenderSession& operator=(const RenderSession&) = delete;

    // Loads the module at `pluginPath` and initialises its audio effect, then
    // sets up processing at `sampleRateHz` in blocks of at most `blockFrames`
    // and activates it. False with a one-line reason.
    // The host calls itself `hostName` to the plug-in and processes in
    // `processMode` (the live player: real time).
    bool Open(const std::string& pluginPath, int sampleRateHz, int blockFrames, std::string* error,
              const std::string& hostName = "toneloom-render",
              Steinberg::int32 processMode = Steinberg::Vst::kOffline);
    // The started effect, for a host that drives it itself.
    EffectHost& Effect() { return effectHost; }

    const ParameterCatalogue& Parameters() const { return effectHost.Parameters(); }
    // The names of the program list, by slot.
    const std::vector<std::string>& PresetNames() const { return effectHost.PresetNames(); }
    // A slot number or an exact preset name; false with a reason.
    bool FindPreset(const std::string& text, int* slot, std::string* error) const
    {
        return effectHost.FindPreset(text, slot, error);
    }

    // Selects preset `slot` through the program-change parameter.
    bool SelectPreset(int slot, std::string* error) { return effectHost.SelectPreset(slot, error); }
    // Applies one parameter change before any audio, as automation would.
    bool ApplyChange(Steinberg::Vst::ParamID id, double normalised, std::string* error)
    {
        return effectHost.ApplyChange(id, normalised, error);
    }
    // The --preset and --set rules: a preset (none when empty), then the
    // settings in order. False with the first reason.
    bool ApplyPresetAndSettings(const std::string& preset, const std::vector<std::string>& settings,
                                std::string* error)
    {
        return effectHost.ApplyPresetAndSettings(preset, settings, error);
    }

    // Renders the timeline into `writer` (opened for 2 channels). A
    // schedule's changes travel in the process calls' parameter queues, as a
    // host's automation does (TimelineDriver). Stops within a third of a
    // second when an interrupt arrives (InterruptExitCode), with the error
    // "interrupted".
    bool Render(const RenderTimeline& timeline, AudioFileWriter* writer, ProgressBar* progress,
                std::string* error);

    // Writes the current state as a .vstpreset file at `path` (via a hidden
    // file renamed at the end, so a failure leaves nothing behind).
    bool ExportPreset(const std::string& path, std::string* error);
    // Loads a .vstpreset file into the effect (its state goes through
    // setState, as a host loads a preset). False with a reason for a file
    // that is not a preset, one for another plug-in, or a damaged one.
    bool LoadPresetFile(const std::string& path, std::string* error);
    // The component's state bytes.
    bool SaveState(std::vector<uint8_t>* bytes);

private:
    host::HostModule module;
    Steinberg::TUID classId{};
    EffectHost effectHost;
};

} // namespace toneloom
