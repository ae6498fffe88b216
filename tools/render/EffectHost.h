// What the command-line tools do as a DAW does: make one effect from a
// factory, initialise and start it for 32-bit processing (offline for the
// renderer and the snapshot, real time for the live player), and keep what
// drives it afterwards: the blocks (the plug-in's input buses, kept silent,
// and one stereo output), its parameters and the names of its program list.
// Program changes and parameter settings travel in process calls, as a
// host's automation does.
#pragma once

#include "ParameterCatalogue.h"

#include "HostApplication.h"
#include "PluginInstance.h"
#include "ProcessDataBuilder.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <memory>
#include <string>
#include <vector>

namespace toneloom {

class EffectHost
{
public:
    EffectHost();
    ~EffectHost();
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    // Makes effect `classId` from `factory`. False when no effect with its
    // controller came of it; the caller words the error, naming the plug-in
    // as its user knows it.
    bool Create(Steinberg::IPluginFactory* factory, const Steinberg::TUID classId);
    // Initialises the effect made by Create with a host context called
    // `hostName`, activates its default buses, sets up 32-bit processing in
    // `processMode` (offline by default) at `sampleRateHz` in blocks of at
    // most `blockFrames` and starts it; then prepares the blocks, the
    // parameter catalogue and the program names. False with a one-line
    // reason.
    bool Start(const std::string& hostName, int sampleRateHz, int blockFrames, std::string* error,
               Steinberg::int32 processMode = Steinberg::Vst::kOffline);
    // Stops the started effect, sets it up again at `sampleRateHz` in blocks
    // of at most `blockFrames` (same process mode) and starts it, keeping the
    // instance and its parameters; the blocks are made anew (the transport
    // and position go back to their defaults). Not while a block is being
    // processed. False with a one-line reason (the effect is then stopped).
    bool Restart(int sampleRateHz, int blockFrames, std::string* error);
    // Releases the effect and everything that refers to it (the destructor
    // does it too); before the module or factory that holds its code goes.
    void Close();

    // These need a successful Create (Instance) or Start (the rest).
    host::PluginInstance& Instance() { return *instance; }
    host::ProcessDataBuilder& Blocks() { return *blocks; }
    const ParameterCatalogue& Parameters() const { return *parameters; }
    // The names of the program list, by slot.
    const std::vector<std::string>& PresetNames() const { return presetNames; }
    int SampleRate() const { return sampleRate; } // Hz
    int BlockFrames() const { return blockFrames; }
    // kOffline or kRealtime, as given to Start.
    Steinberg::int32 ProcessMode() const { return processMode; }

    // A slot number or an exact preset name; false with a reason.
    bool FindPreset(const std::string& text, int* slot, std::string* error) const;
    // Selects preset `slot` through the program-change parameter.
    bool SelectPreset(int slot, std::string* error);
    // Applies one parameter change before any audio, as automation would.
    bool ApplyChange(Steinberg::Vst::ParamID id, double normalised, std::string* error);
    // Selects `preset` (a slot number or an exact name; nothing when empty),
    // then applies each "PARAM=VALUE" of `settings` in order, as --preset and
    // --set do. False with the first reason.
    bool ApplyPresetAndSettings(const std::string& preset, const std::vector<std::string>& settings,
                                std::string* error);
    // Sends the changes queued in Blocks() in a block of no samples.
    bool ProcessWithoutAudio(std::string* error);

private:
    // Sets up processing, starts the effect and makes the blocks.
    bool SetUpAndActivate(int sampleRateHz, int blockFrames, std::string* error);

    std::unique_ptr<host::HostApplication> application;
    std::unique_ptr<host::PluginInstance> instance;
    std::unique_ptr<host::ProcessDataBuilder> blocks;
    std::unique_ptr<ParameterCatalogue> parameters;
    std::vector<std::string> presetNames;
    int blockFrames = 0;
    int sampleRate = 0; // Hz
    Steinberg::int32 processMode = Steinberg::Vst::kOffline;
};

} // namespace toneloom
